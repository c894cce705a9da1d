#pragma once

#include "OutcomeLines.h"
#include "SectorPump.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// How ffmpeg gets one source of a conversion: the input arguments, and when
// the launcher itself supplies the data, a feeder that writes it to the
// write end of a pipe that ffmpeg reads as /dev/fd/3.
struct SourceInput {
    std::vector<std::string> arguments; // "-i" and what ffmpeg opens
    // Writes the whole input to fd (dvd::pumpSectors) and answers how that
    // went; empty when ffmpeg reads the source itself.
    std::function<dvd::PumpResult(int fd)> feeder;
    std::string note; // a line for the log about the choice, may be empty
    // The source's length from the DVD's tables, -1 when they do not give
    // it: what the converted file's length is checked against.
    std::int64_t lengthMs = -1;
    // The chapter starts handed to ffmpeg (ms), for a file that is cut short.
    std::vector<std::int64_t> chapterStartsMs;
    // Why the source cannot be converted at all, when it cannot, and the
    // kind of that failure.
    std::string error;
    outcome::Failure errorKind = outcome::Failure::None;
};

// The descriptor ffmpeg reads a fed input from.
inline constexpr int feedDescriptor = 3;

// The input for a conversion of source. A title file of a DVD whose tables
// read is read through libdvdread (which decrypts it when libdvdcss can be
// loaded) when its packs are scrambled, or when forceReader is set; every
// other source goes to ffmpeg as it is.
SourceInput inputForSource(const std::string &source, bool forceReader);

// Whether the environment asks for reading DVD title files through
// libdvdread even when they are plain (VELKO_READ_THROUGH_DVD=1).
bool readerForcedByEnvironment();
