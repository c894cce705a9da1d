#pragma once

#include "TargetGuard.h"

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
ChildRun runForwardingSignals(const std::vector<std::string> &argv);

// Replaces the launcher by argv[0], looked up in PATH. Returns only when that
// fails, with errno set.
void execProgram(const std::vector<std::string> &argv);
