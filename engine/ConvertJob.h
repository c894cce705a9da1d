#pragma once

#include <QString>

// One DVD title to probe or convert. Owned by the engine that created it.
struct ConvertJob {
    qint32 index = 0;    // position in the job list when it was added
    QString source;      // full path of the title file, as given to addJob
    QString target;      // full path of the output; empty until the worker reaches the job
    qint32 duration = 0; // source length in whole seconds, 0 when unknown
    qint32 percent = 0;  // progress of this job, always within 0..100
};
