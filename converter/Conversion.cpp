#include "Conversion.h"

#include "ChildProcess.h"
#include "ConversionEnd.h"
#include "OutputWatch.h"
#include "SourceInput.h"
#include "TargetGuard.h"
#include "TargetNames.h"
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

// Runs ffmpeg on the command's source, fed through a pipe on /dev/fd/3
// when the source asks for it (a DVD title read through libdvdread); what
// the feeder read goes into facts.
ChildRun runWithSource(LauncherCommand command, const ChildRelay &relay, const SourceInput &input,
                       bool replace, ConversionFacts &facts)
{
    if (!input.note.empty())
        std::fprintf(stderr, "torvane: %s\n", input.note.c_str());
    if (replace)
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
    facts.fed = true;
    const ChildRun run = runForwardingSignals(
        command.ffmpeg, feed[0],
        [&] {
            ::close(feed[0]);
            feed[0] = -1;
            feeder = std::thread([&input, &facts, fd = feed[1]] {
                // A write after ffmpeg stopped reading ("q") fails with EPIPE
                // instead of ending the launcher.
                sigset_t pipeSignal;
                sigemptyset(&pipeSignal);
                sigaddset(&pipeSignal, SIGPIPE);
                ::pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
                facts.pump = input.feeder(fd);
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

} // namespace

void reportStartFailure(int error)
{
    // The engine looks for the first line to tell the user what to install.
    if (error == ENOENT) {
        std::fprintf(stderr, "torvane: cannot start ffmpeg: not installed or not on PATH\n"
                             "torvane: install it with: sudo apt install ffmpeg\n");
        std::fprintf(stderr, "%.*s%.*s\n", int(outcome::kFailurePrefix.size()),
                     outcome::kFailurePrefix.data(),
                     int(outcome::failureName(outcome::Failure::ConverterMissing).size()),
                     outcome::failureName(outcome::Failure::ConverterMissing).data());
    } else {
        std::fprintf(stderr, "torvane: cannot start ffmpeg: %s\n", std::strerror(error));
    }
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

    const SourceInput input =
        prepared ? *prepared : inputForSource(command.source, readerForcedByEnvironment());

    // A device or pipe as the target is written as it is; a file gets its
    // name only when it is finished.
    ConversionFacts facts;
    facts.target = command.target;
    facts.direct = TempTarget::writesDirectly(command.target);
    facts.lengthMs = input.lengthMs;
    facts.chapterStartsMs = input.chapterStartsMs;
    TempTarget temp;
    LauncherCommand written = command;
    if (!facts.direct) {
        // What a launcher killed outright left behind goes first.
        TempTarget::removeStale(targetnames::split(command.target).folder);
        if (!temp.create(command.target)) {
            const int error = errno;
            reportFailure(failureOfWriteError(error), "cannot create a file beside " +
                                                          command.target + ": " +
                                                          std::strerror(error));
            return 1;
        }
        temp.removeOnFatalSignals();
        written.ffmpeg.back() = temp.path();
    }

    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        reportFailure(outcome::Failure::Other,
                      std::string("cannot make a pipe: ") + std::strerror(errno));
        return 1;
    }
    // A reader that went away shows as a failed write, not as death.
    struct sigaction action {
    };
    action.sa_handler = ignoreSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGPIPE, &action, nullptr);

    OutputWatch watch;
    watch.setPaths({command.source, command.target, temp.path()});
    bool abandoned = false;
    ChildRelay relay;
    relay.errorFd = pipe[1];
    relay.drain = [&](pid_t child) {
        TempTarget::setChild(child);
        relayOutput(pipe[0], watch, child, abandoned);
    };
    facts.run = runWithSource(written, relay, input, prepared || input.feeder, facts);
    TempTarget::setChild(0);
    ::close(pipe[0]);
    watch.finish();

    if (!facts.run.started) {
        reportStartFailure(facts.run.startError);
        return cannotStart;
    }
    if (abandoned)
        return 1; // the temporary file goes with `temp`; nobody is left to tell
    return finishConversion(facts, watch, temp);
}
