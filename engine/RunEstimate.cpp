#include "RunEstimate.h"

#include <cmath>

RunEstimate RunEstimate::of(const RunSample &sample)
{
    RunEstimate estimate;
    const ConvertJob &job = sample.job;
    if (sample.titleNumber <= 0)
        return estimate;
    const double titleSeconds = double(qMax<qint64>(0, sample.nowMs - job.startedMs)) / 1000.0;
    estimate.titleElapsed = qint64(titleSeconds);
    estimate.runElapsed = qMax<qint64>(0, sample.nowMs - sample.runStartedMs) / 1000;

    const qint32 length = job.duration > 0 ? job.duration : job.listedDuration;
    if (length <= 0 || job.position < 0)
        return estimate;
    double rate = job.speed;
    if (rate <= 0 && job.position > 0 && titleSeconds > 0)
        rate = job.position / titleSeconds;
    if (rate <= 0)
        return estimate;
    const double left = qMax(0.0, double(length) - job.position);
    estimate.titleLeft = qint64(std::ceil(left / rate));
    estimate.runLeft = qint64(std::ceil((left + double(sample.laterSeconds)) / rate));
    return estimate;
}
