#pragma once

#include "JobOutcome.h"
#include "JobStatus.h"

#include <QString>

// One DVD title to probe or convert. Owned by the engine that created it.
struct ConvertJob {
    qint32 index = 0;    // position in the job list when it was added
    QString source;      // full path of the title file, as given to addJob
    QString target;      // full path of the output; empty until the worker reaches the job
    qint32 duration = 0; // source length in whole seconds, 0 when unknown
    qint32 percent = 0;  // progress of this job, always within 0..100

    // How the job ended, and for a failed one the converter's last message
    // line (empty when it printed none).
    qint32 status = StatusPending;
    QString lastError;
    // What the launcher said about the end: the kind of failure, what could
    // not be read, how far it got, and the name an unfinished file was kept
    // under beside the target.
    JobOutcome outcome;

    // The length the title list showed for this title (whole seconds, 0 when
    // unknown): what a run's time left is reckoned from before the job's own
    // probe has run.
    qint32 listedDuration = 0;

    // The converter's latest progress report: its position in the source
    // (seconds, -1 before the first report), frames per second and multiple
    // of real time (-1 when not reported).
    double position = -1;
    double fps = -1;
    double speed = -1;
    // When the worker picked the job up, on ConvertEng::clockMs(); 0 before.
    qint64 startedMs = 0;
};
