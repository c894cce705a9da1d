#pragma once

#include <cstdint>
#include <vector>

namespace dvd
{

class SectorReader;

// How much of a title may be unreadable before its reading fails: more than
// maxShare of it in all, or any one stretch longer than maxStretchMs.
struct PumpLimits {
    double maxShare = 0.01;
    std::int64_t maxStretchMs = 30000;
};

// A stretch that could not be read, in the title's own time.
struct SkippedStretch {
    std::int64_t atMs = 0;
    std::int64_t lengthMs = 0;
};

// What moving a reader's sectors to a descriptor came to.
struct PumpResult {
    bool complete = false;        // every readable sector written, within the limits
    bool tooDamaged = false;      // reading gave up: more could not be read than allowed
    bool writeFailed = false;     // the descriptor took no more (its reader went away)
    int writeError = 0;           // errno of the failed write
    std::int64_t bytes = 0;       // written
    std::int64_t failedAtMs = -1; // for tooDamaged: where the stretch that ended it begins
    std::vector<SkippedStretch> skipped;

    std::int64_t skippedMs() const;
};

// Writes every sector the reader gives to fd, in order, skipping what cannot
// be read (SectorReader) within the limits. The one loop every feeder of a
// pipe runs. A write interrupted by a signal is repeated; SIGPIPE is the
// caller's to block.
PumpResult pumpSectors(SectorReader &reader, int fd, const PumpLimits &limits = {});

} // namespace dvd
