#pragma once

#include "DiscTypes.h"

#include <cstdint>
#include <string>
#include <vector>

// What the launcher's own probe answer tells of one input: a title file or a
// whole title, as its DVD's tables (and its first packs) describe it.
struct ProbeStreams {
    enum class FieldOrder { Unknown, Progressive, TopFirst, BottomFirst };

    std::string source; // as the command named it
    std::int64_t durationMs = 0;
    std::int64_t startPts = -1;  // 90 kHz time of the first unit, -1 when unknown
    std::int64_t sizeBytes = -1; // for the bit rate, -1 when unknown
    dvd::VideoInfo video;
    FieldOrder fieldOrder = FieldOrder::Unknown;
    std::vector<dvd::AudioStream> audio;
    std::vector<dvd::SubtitleStream> subtitles;
};

// The probe's text in ffmpeg's own format for the lines the program reads:
// "Input #0", "Duration:" (with start and bit rate), one line per stream
// (the navigation packets, the picture, each sound and subtitle stream) and
// the closing complaint of a probe that names no output.
std::string probeText(const ProbeStreams &streams);

// A duration as ffmpeg prints it: HH:MM:SS.hh, rounded to the nearest
// hundredth of a second.
std::string clockText(std::int64_t ms);
