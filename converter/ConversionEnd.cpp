#include "ConversionEnd.h"

#include "ChapterCut.h"
#include "OutputWatch.h"
#include "TempTarget.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace
{

void printLine(std::string_view prefix, const std::string &value)
{
    std::fprintf(stderr, "%.*s%s\n", int(prefix.size()), prefix.data(), value.c_str());
}

std::string clockText(std::int64_t ms)
{
    const std::int64_t seconds = std::max<std::int64_t>(0, ms) / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", (long long)(seconds / 3600),
                  (long long)(seconds / 60 % 60), (long long)(seconds % 60));
    return text;
}

void printSkipped(const dvd::PumpResult &pump)
{
    for (const dvd::SkippedStretch &stretch : pump.skipped)
        printLine(outcome::kSkippedPrefix,
                  std::to_string(stretch.atMs) + " " + std::to_string(stretch.lengthMs));
}

std::string fileName(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Keeps an unfinished file beside the target under "NAME (label).ext", with
// only the chapters it reaches. Answers its path, or an empty one.
std::string keepAside(const ConversionFacts &facts, TempTarget &temp, const std::string &label,
                      std::int64_t reachedMs)
{
    if (!facts.chapterStartsMs.empty() && reachedMs > 0) {
        TempTarget cut;
        if (cut.create(facts.target) &&
            copyWithChaptersCut(temp.path(), cut.path(), facts.chapterStartsMs, reachedMs)) {
            const std::string kept = cut.commitAside(label);
            if (!kept.empty()) {
                temp.discard();
                return kept;
            }
        }
    }
    return temp.commitAside(label);
}

std::string failureReason(const ChildRun &run, const OutputWatch &watch)
{
    if (watch.outputFailed())
        return watch.failureLine();
    if (!watch.lastErrorLine().empty())
        return watch.lastErrorLine();
    if (run.result.exited)
        return "ffmpeg ended with status " + std::to_string(run.result.exitCode);
    return "ffmpeg was killed by signal " + std::to_string(run.result.killSignal);
}

void replaceAll(std::string &text, const std::string &from, const std::string &to)
{
    if (from.empty())
        return;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

outcome::Failure failureOfWriteError(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return outcome::Failure::DiskFull;
    case EROFS:
    case EACCES:
    case EPERM:
        return outcome::Failure::NotWritable;
    default:
        return outcome::Failure::Other;
    }
}

void reportFailure(outcome::Failure kind, const std::string &reason)
{
    printLine(outcome::kFailedPrefix, reason);
    printLine(outcome::kFailurePrefix, std::string(outcome::failureName(kind)));
}

std::int64_t expectedLengthMs(const ConversionFacts &facts, const OutputWatch &watch)
{
    if (facts.lengthMs > 0)
        return facts.lengthMs;
    if (watch.inputDurationMs() > 0 && watch.inputFormat() != "mpeg" &&
        watch.inputFormat() != "mpegvideo")
        return watch.inputDurationMs();
    return -1;
}

std::int64_t lengthTolerance(std::int64_t expectedMs)
{
    constexpr std::int64_t kMost = 5000;
    constexpr std::int64_t kLeast = 1000;
    return std::clamp<std::int64_t>(expectedMs / 10, kLeast, kMost);
}

Ending decideEnding(const ConversionFacts &facts, const OutputWatch &watch)
{
    const bool finished = runKeepsTarget(facts.run.result) && !watch.outputFailed();
    if (!finished)
        return Ending::Failed;
    if (facts.direct)
        return Ending::Done;
    const bool stopped = watch.stopReceived() || facts.run.result.stopSignal != 0;
    if (facts.fed && facts.pump.tooDamaged)
        return Ending::Unreadable;
    if (stopped)
        return Ending::Stopped;
    const std::int64_t expected = expectedLengthMs(facts, watch);
    const std::int64_t reached = watch.reachedMs();
    if (expected > 0 && reached >= 0 &&
        reached + lengthTolerance(expected) + facts.pump.skippedMs() < expected)
        return Ending::Incomplete;
    return Ending::Done;
}

int finishConversion(const ConversionFacts &facts, const OutputWatch &watch, TempTarget &temp)
{
    const Ending ending = decideEnding(facts, watch);
    const std::int64_t reached = watch.reachedMs();
    const std::int64_t expected = expectedLengthMs(facts, watch);
    if (facts.fed)
        printSkipped(facts.pump);

    if (ending == Ending::Done) {
        if (facts.direct || temp.commit())
            return launcherExitCode(facts.run.result);
        const int error = errno;
        reportFailure(failureOfWriteError(error), "cannot give the finished file the name " +
                                                      facts.target + ": " + std::strerror(error));
        temp.discard();
        return 1;
    }

    if (ending == Ending::Failed) {
        std::string reason = failureReason(facts.run, watch);
        replaceAll(reason, temp.path(), facts.target);
        outcome::Failure kind =
            watch.outputFailed() ? watch.failureKind() : outcome::Failure::Other;
        if (!watch.outputFailed() && watch.noPicture())
            kind = outcome::Failure::NoPicture;
        reportFailure(kind, reason);
        if (!facts.direct && !temp.discard())
            std::fprintf(stderr, "torvane: cannot remove the unfinished file %s: %s\n",
                         temp.path().c_str(), std::strerror(errno));
        const int code = launcherExitCode(facts.run.result);
        return code != 0 ? code : 1;
    }

    const char *label = ending == Ending::Stopped ? "partial" : "incomplete";
    const std::string kept = keepAside(facts, temp, label, reached);
    if (ending == Ending::Stopped) {
        printLine(outcome::kStoppedAtPrefix, std::to_string(std::max<std::int64_t>(0, reached)));
    } else {
        const std::int64_t readTo = ending == Ending::Unreadable
                                        ? facts.pump.failedAtMs
                                        : std::max<std::int64_t>(0, reached);
        const std::string reason = ending == Ending::Unreadable
                                       ? "the disc could not be read at " + clockText(readTo)
                                       : "the source could be read only to " + clockText(readTo) +
                                             " of " + clockText(expected);
        reportFailure(ending == Ending::Unreadable ? outcome::Failure::Unreadable
                                                   : outcome::Failure::Incomplete,
                      reason);
        printLine(outcome::kReadToPrefix, std::to_string(readTo) + " of " +
                                              std::to_string(std::max<std::int64_t>(0, expected)));
    }
    if (kept.empty()) {
        std::fprintf(stderr, "torvane: cannot keep the unfinished file beside %s: %s\n",
                     facts.target.c_str(), std::strerror(errno));
        temp.discard();
    } else {
        printLine(outcome::kKeptPrefix, outcome::escape(fileName(kept)));
    }
    return ending == Ending::Stopped ? launcherExitCode(facts.run.result) : 1;
}
