#include "Conversion.h"

#include "ChildProcess.h"
#include "OutputWatch.h"
#include "SourceInput.h"
#include "TargetGuard.h"
#include "TempTarget.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace
{

constexpr int cannotStart = 127;

void ignoreSignal(int) {}

bool writeAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

// Passes everything ffmpeg prints on unchanged until it closes its end. When
// nobody reads the launcher's output any more, the program that ran it is
// gone: the conversion is abandoned and ffmpeg ended.
void relayOutput(int from, OutputWatch &watch, pid_t child, bool &abandoned)
{
    char buffer[4096];
    bool forwarding = true;
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        watch.feed(buffer, std::size_t(got));
        if (forwarding && !writeAll(STDERR_FILENO, buffer, std::size_t(got))) {
            forwarding = false;
            if (errno == EPIPE) {
                abandoned = true;
                ::kill(child, SIGKILL);
            }
        }
    }
}

void replaceAll(std::string &text, const std::string &from, const std::string &to)
{
    if (from.empty())
        return;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
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

// Runs ffmpeg on the command's source, fed through a pipe on /dev/fd/3
// when the source asks for it (a DVD title read through libdvdread).
ChildRun runWithSource(LauncherCommand command, const ChildRelay &relay,
                       const SourceInput *prepared)
{
    const SourceInput input =
        prepared ? *prepared : inputForSource(command.source, readerForcedByEnvironment());
    if (!input.note.empty())
        std::fprintf(stderr, "torvane: %s\n", input.note.c_str());
    if (prepared || input.feeder)
        replaceInput(command, input.arguments);
    if (!input.feeder)
        return runForwardingSignals(command.ffmpeg, -1, {}, relay);

    int feed[2];
    if (::pipe2(feed, O_CLOEXEC) != 0) {
        if (relay.errorFd >= 0)
            ::close(relay.errorFd);
        ChildRun failed;
        failed.startError = errno;
        return failed;
    }
    std::thread feeder;
    const ChildRun run = runForwardingSignals(
        command.ffmpeg, feed[0],
        [&] {
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
        },
        relay);
    if (feeder.joinable())
        feeder.join();
    else
        ::close(feed[1]);
    if (feed[0] >= 0)
        ::close(feed[0]);
    return run;
}

int failed(const ChildRun &run)
{
    const int code = launcherExitCode(run.result);
    return code != 0 ? code : 1;
}

} // namespace

void reportStartFailure(int error)
{
    // The engine looks for the first line to tell the user what to install.
    if (error == ENOENT)
        std::fprintf(stderr, "torvane: cannot start ffmpeg: not installed or not on PATH\n"
                             "torvane: install it with: sudo apt install ffmpeg\n");
    else
        std::fprintf(stderr, "torvane: cannot start ffmpeg: %s\n", std::strerror(error));
}

int runConversion(const LauncherCommand &command, const SourceInput *prepared)
{
    // "-y" would let ffmpeg truncate its own input when the target is the
    // source under another spelling (a relative path, a link).
    if (refersToSameFile(command.source, command.target)) {
        std::fprintf(stderr, "torvane: the target is the source file itself, nothing done: %s\n",
                     command.target.c_str());
        return 1;
    }

    // A device or pipe as the target is written as it is; a file gets its
    // name only when it is finished.
    const bool direct = TempTarget::writesDirectly(command.target);
    TempTarget temp;
    LauncherCommand written = command;
    if (!direct) {
        if (!temp.create(command.target)) {
            std::fprintf(stderr, "torvane: conversion failed: cannot create a file beside %s: %s\n",
                         command.target.c_str(), std::strerror(errno));
            return 1;
        }
        temp.removeOnFatalSignals();
        written.ffmpeg.back() = temp.path();
    }

    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        std::fprintf(stderr, "torvane: conversion failed: cannot make a pipe: %s\n",
                     std::strerror(errno));
        return 1;
    }
    // A reader that went away shows as a failed write, not as death.
    struct sigaction action {
    };
    action.sa_handler = ignoreSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGPIPE, &action, nullptr);

    OutputWatch watch;
    bool abandoned = false;
    ChildRelay relay;
    relay.errorFd = pipe[1];
    relay.drain = [&](pid_t child) {
        TempTarget::setChild(child);
        relayOutput(pipe[0], watch, child, abandoned);
    };
    const ChildRun run = runWithSource(written, relay, prepared);
    TempTarget::setChild(0);
    ::close(pipe[0]);
    watch.finish();

    if (!run.started) {
        reportStartFailure(run.startError);
        return cannotStart;
    }
    if (abandoned)
        return 1; // the temporary file goes with `temp`; nobody is left to tell

    if (runKeepsTarget(run.result) && !watch.outputFailed()) {
        if (direct || temp.commit())
            return launcherExitCode(run.result);
        const int error = errno;
        std::fprintf(stderr,
                     "torvane: conversion failed: cannot give the finished file the name %s: %s\n",
                     command.target.c_str(), std::strerror(error));
        temp.discard();
        return 1;
    }

    std::string reason = failureReason(run, watch);
    replaceAll(reason, temp.path(), command.target);
    std::fprintf(stderr, "torvane: conversion failed: %s\n", reason.c_str());
    if (!direct && !temp.discard())
        std::fprintf(stderr, "torvane: cannot remove the unfinished file %s: %s\n",
                     temp.path().c_str(), std::strerror(errno));
    return failed(run);
}
