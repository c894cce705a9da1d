#pragma once

#include "ConvertJob.h"

// A look at a conversion run at one moment, copied under the engine's lock
// (ConvertEng::sampleRun).
struct RunSample {
    qint32 titleNumber = 0; // from 1; 0 while no title is being worked on
    qint32 titleCount = 0;
    ConvertJob job;   // the title being worked on
    qint64 nowMs = 0; // on ConvertEng::clockMs()
    qint64 runStartedMs = 0;
    qint64 laterSeconds = 0; // lengths of the titles after this one, as far as known
};

// Times worked out from a sample, in whole seconds; -1 where they cannot be
// told (no length known, no position reported yet, no speed).
struct RunEstimate {
    qint64 titleElapsed = 0;
    qint64 titleLeft = -1;
    qint64 runElapsed = 0;
    qint64 runLeft = -1;

    // The time left comes from what is left of the source at the speed the
    // converter reports (or, without one, the speed seen so far); the run's
    // adds the later titles at the same speed.
    static RunEstimate of(const RunSample &sample);
};
