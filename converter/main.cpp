// torvane: runs ffmpeg for the ripper in the two forms the engine uses,
//   torvane -i SOURCE                               (probe)
//   torvane -y -i SOURCE <preset options...> TARGET  (conversion)
// with -hide_banner added and the preset options rewritten for today's
// ffmpeg. A failed conversion leaves no unfinished target behind, so that an
// existing target means the conversion worked; a file the run did not touch
// is never removed.
#include "ChildProcess.h"
#include "LauncherCommand.h"
#include "TargetGuard.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

constexpr int cannotStart = 127;

void reportStartFailure(int error)
{
    std::fprintf(stderr, "torvane: cannot start ffmpeg: %s (is ffmpeg installed and on PATH?)\n",
                 std::strerror(error));
}

int convert(const LauncherCommand &command)
{
    // "-y" would let ffmpeg truncate its own input when the target is the
    // source under another spelling (a relative path, a link).
    if (refersToSameFile(command.source, command.target)) {
        std::fprintf(stderr, "torvane: the target is the source file itself, nothing done: %s\n",
                     command.target.c_str());
        return 1;
    }

    const FileState before = captureFileState(command.target);
    const ChildRun run = runForwardingSignals(command.ffmpeg);
    if (!run.started) {
        reportStartFailure(run.startError);
        return cannotStart;
    }
    if (!runKeepsTarget(run.result) &&
        shouldRemoveTarget(before, captureFileState(command.target))) {
        if (::unlink(command.target.c_str()) == 0)
            std::fprintf(stderr, "torvane: conversion failed, unfinished target removed: %s\n",
                         command.target.c_str());
    }
    return launcherExitCode(run.result);
}

} // namespace

int main(int argc, char **argv)
{
    const LauncherCommand command =
        makeLauncherCommand(std::vector<std::string>(argv + 1, argv + argc));
    if (command.form == LauncherForm::Convert)
        return convert(command);

    execProgram(command.ffmpeg);
    reportStartFailure(errno);
    return cannotStart;
}
