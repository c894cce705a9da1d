// torvane: runs ffmpeg for the ripper in the two forms the engine uses,
//   torvane -i SOURCE                               (probe)
//   torvane -y -i SOURCE <preset options...> TARGET  (conversion)
// with -hide_banner added and the preset options rewritten for today's
// ffmpeg. A failed conversion leaves no unfinished target behind, so that an
// existing target means the conversion worked; a file the run did not touch
// is never removed.
#include "ChildProcess.h"
#include "LauncherCommand.h"
#include "SourceInput.h"
#include "TableProbe.h"
#include "TargetGuard.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace
{

constexpr int cannotStart = 127;

void reportStartFailure(int error)
{
    // The engine looks for the first line to tell the user what to install.
    if (error == ENOENT)
        std::fprintf(stderr, "torvane: cannot start ffmpeg: not installed or not on PATH\n"
                             "torvane: install it with: sudo apt install ffmpeg\n");
    else
        std::fprintf(stderr, "torvane: cannot start ffmpeg: %s\n", std::strerror(error));
}

// Runs ffmpeg on the command's source, fed through a pipe on /dev/fd/3
// when the source asks for it (a DVD title read through libdvdread).
ChildRun runWithSource(LauncherCommand command)
{
    const SourceInput input = inputForSource(command.source, readerForcedByEnvironment());
    if (!input.note.empty())
        std::fprintf(stderr, "torvane: %s\n", input.note.c_str());
    if (!input.feeder)
        return runForwardingSignals(command.ffmpeg);

    replaceInput(command, input.arguments);
    int feed[2];
    if (::pipe2(feed, O_CLOEXEC) != 0) {
        ChildRun failed;
        failed.startError = errno;
        return failed;
    }
    std::thread feeder;
    const ChildRun run = runForwardingSignals(command.ffmpeg, feed[0], [&] {
        ::close(feed[0]);
        feed[0] = -1;
        feeder = std::thread([&input, fd = feed[1]] {
            // A write after ffmpeg stopped reading ("q") fails with EPIPE
            // instead of ending the launcher.
            sigset_t pipeSignal;
            sigemptyset(&pipeSignal);
            sigaddset(&pipeSignal, SIGPIPE);
            ::pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
            input.feeder(fd);
            ::close(fd);
        });
    });
    if (feeder.joinable())
        feeder.join();
    else
        ::close(feed[1]);
    if (feed[0] >= 0)
        ::close(feed[0]);
    return run;
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
    const ChildRun run = runWithSource(command);
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
    if (command.form == LauncherForm::Probe) {
        // A title file of a DVD whose tables read: the tables hold the whole
        // answer, and ffmpeg's guess from the timestamps would be wrong
        // wherever the file holds a title boundary.
        if (const std::optional<std::string> text = probeFromTables(command.source)) {
            std::fputs(text->c_str(), stderr);
            return 1; // as ffmpeg's probe form, which has no output file
        }
    }

    execProgram(command.ffmpeg);
    reportStartFailure(errno);
    return cannotStart;
}
