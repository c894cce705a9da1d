#pragma once

#include "ChildProcess.h"
#include "OutcomeLines.h"
#include "SectorPump.h"

#include <cstdint>
#include <string>
#include <vector>

class OutputWatch;
class TempTarget;
struct SourceInput;

// What a conversion's run came to, as the launcher reports it.
struct ConversionFacts {
    std::string target;
    bool direct = false; // the target was written as it is (a device, a pipe)
    ChildRun run;
    bool fed = false;           // the source came through the launcher's feeder
    dvd::PumpResult pump;       // what the feeder read, when fed
    std::int64_t lengthMs = -1; // the source's length from the tables, -1 unknown
    std::vector<std::int64_t> chapterStartsMs;
};

// How a finished run's file ends up, from what is known of it.
enum class Ending {
    Done,       // the target's name: a whole conversion
    Stopped,    // "NAME (partial).ext": the user stopped it
    Incomplete, // "NAME (incomplete).ext": it ends before the source does
    Unreadable, // "NAME (incomplete).ext": the source could not be read on
    Failed,     // removed: the conversion failed
};

// The source's length the converted one is measured against, -1 when there
// is none to trust: the tables' length, else ffmpeg's own duration of an
// input that is not an MPEG program stream (whose duration ffmpeg guesses
// from timestamps that restart at each title).
std::int64_t expectedLengthMs(const ConversionFacts &facts, const OutputWatch &watch);

// How much shorter than expected a file may be and still be whole.
std::int64_t lengthTolerance(std::int64_t expectedMs);

Ending decideEnding(const ConversionFacts &facts, const OutputWatch &watch);

// Gives the file its name (or removes it), prints the outcome lines and the
// "conversion failed" line where there is one, and answers the launcher's
// exit status.
int finishConversion(const ConversionFacts &facts, const OutputWatch &watch, TempTarget &temp);

// The kind of failure a system error number stands for, when writing.
outcome::Failure failureOfWriteError(int error);

// Prints a failure: "torvane: conversion failed: <reason>" and the kind.
void reportFailure(outcome::Failure kind, const std::string &reason);
