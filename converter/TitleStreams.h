#pragma once

#include "TrackChoice.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace dvd
{
struct Title;
} // namespace dvd

// What a conversion's target can hold, told by its extension.
struct TargetContainer {
    bool chapters = false;     // chapter marks: mp4, m4v, mov, mkv
    bool severalAudio = false; // more than one audio track: mp4, m4v, mov, mkv
    // Matroska keeps every subtitle stream as a track of its own, so
    // nothing is burned into the picture.
    bool subtitleTracks = false;
    // Sound and picture of exactly one length (DV). Nothing is burned in: a
    // picture with subtitles laid over it may end a frame after the sound,
    // which DV refuses.
    bool sameLengths = false;
};

TargetContainer targetContainer(const std::string &target);

// How far into a title ffmpeg looks for its streams when subtitles are
// converted: a subtitle stream whose first picture comes later than this is
// not found, and cannot be mapped.
inline constexpr std::int64_t kSubtitleProbeBytes = 100'000'000;

// The options that pick a title's streams for one conversion.
struct TitleStreams {
    // Placed before the title's "-i": the subtitle decoder's palette and
    // forced-only switch, and a probe long enough to find a subtitle stream
    // whose first picture comes late.
    std::vector<std::string> inputOptions;
    // Placed before the preset's options: -map, -metadata and -disposition.
    std::vector<std::string> streamOptions;
    // Placed after the preset's options, so that they win over its audio
    // codec for a track the container cannot take as it is (LPCM in
    // Matroska becomes FLAC, which is just as lossless).
    std::vector<std::string> codecOptions;
    // The subtitle stream burned into the picture, as the stream specifier
    // "0:i:0x20"; empty for none.
    std::string overlay;
    int subtitleTracks = 0; // subtitle streams kept as tracks
};

// The streams of title a choice converts into a container: the picture;
// the chosen audio tracks (all of them where the container holds several,
// else the first), each tagged with its language; and the subtitles,
// burned in or, in Matroska, every stream as a track with its language and
// the title's own palette, a stream the tables call forced flagged forced.
// Every stream is mapped by its id from the tables. fallbackLanguage is
// where the default audio track is looked for when the choice names no
// language. present holds the ids of the streams found within
// kSubtitleProbeBytes of the title's start, and the streams not among them
// are left out; without it, every stream is mapped where it is found.
TitleStreams planTitleStreams(const dvd::Title &title, const titles::TrackChoice &choice,
                              const TargetContainer &container, const std::string &fallbackLanguage,
                              const std::set<int> *present = nullptr);

// Whether the plan maps a subtitle stream, so that the streams present are
// worth looking for first.
bool mapsSubtitles(const dvd::Title &title, const titles::TrackChoice &choice,
                   const TargetContainer &container, const std::string &fallbackLanguage);
