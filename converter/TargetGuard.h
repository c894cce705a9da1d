#pragma once

#include <string>

// How the converter run ended.
struct RunResult {
    bool exited = false; // ended through exit(); false when killed by a signal
    int exitCode = 0;    // when exited
    int killSignal = 0;  // when killed
    int stopSignal = 0;  // SIGINT or SIGTERM the launcher received and passed on
};

// Whether two paths lead to the same existing file, through links and
// differently spelled paths too.
bool refersToSameFile(const std::string &a, const std::string &b);

// Whether the target a run leaves behind is a finished file: ffmpeg ended
// with status 0 (a stop by "q" included), or it ended with its status 255
// after the launcher passed it a stop signal, which ffmpeg answers by ending
// the file properly.
bool runKeepsTarget(const RunResult &result);

// The launcher's own exit status for a run: ffmpeg's status, or 128 plus the
// signal that killed it.
int launcherExitCode(const RunResult &result);
