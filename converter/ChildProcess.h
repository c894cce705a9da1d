#pragma once

#include "TargetGuard.h"

#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

// The outcome of running a child program.
struct ChildRun {
    bool started = false; // false when it could not be started at all
    int startError = 0;   // errno of the failed fork or exec
    RunResult result;     // how it ended, when started
};

// Runs argv[0], looked up in PATH, with the launcher's own standard input,
// output and error, and waits for it to end. SIGINT and SIGTERM sent to the
// launcher while it runs are passed on to it; ones the terminal sends to the
// whole foreground group reach the child directly and are only recorded.
// With fd3 not -1, the child gets that descriptor as its descriptor 3, and
// whenStarted runs (on the launcher's side) once the child is running.
//
// With a relay, the child's standard error goes to relay.errorFd instead
// (the write end of a close-on-exec pipe, which the launcher closes after
// the fork; it is closed in every case), and relay.drain(child) runs after
// whenStarted and before the wait: it reads the other end until the child
// has closed it.
struct ChildRelay {
    int errorFd = -1;
    std::function<void(pid_t child)> drain;
};
ChildRun runForwardingSignals(const std::vector<std::string> &argv, int fd3 = -1,
                              const std::function<void()> &whenStarted = {},
                              const ChildRelay &relay = {});

// Replaces the launcher by argv[0], looked up in PATH. Returns only when that
// fails, with errno set.
void execProgram(const std::vector<std::string> &argv);
