#pragma once

#include "TargetGuard.h"

#include <functional>
#include <string>
#include <vector>

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
ChildRun runForwardingSignals(const std::vector<std::string> &argv, int fd3 = -1,
                              const std::function<void()> &whenStarted = {});

// Replaces the launcher by argv[0], looked up in PATH. Returns only when that
// fails, with errno set.
void execProgram(const std::vector<std::string> &argv);
