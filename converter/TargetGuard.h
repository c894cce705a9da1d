#pragma once

#include <string>

#include <sys/types.h>
#include <time.h>

// What a path held at one moment, enough to tell whether a file was replaced
// or rewritten since.
struct FileState {
    bool exists = false;
    bool regular = false; // a regular file itself, not a link, folder or device
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
};

// How the converter run ended.
struct RunResult {
    bool exited = false; // ended through exit(); false when killed by a signal
    int exitCode = 0;    // when exited
    int killSignal = 0;  // when killed
    int stopSignal = 0;  // SIGINT or SIGTERM the launcher received and passed on
};

FileState captureFileState(const std::string &path);

// Whether two states name the same file (both exist, same device and inode).
bool isSameFile(const FileState &a, const FileState &b);

// Whether two paths lead to the same existing file, through links and
// differently spelled paths too.
bool refersToSameFile(const std::string &a, const std::string &b);

// Whether the target a run leaves behind is a finished file: ffmpeg ended
// with status 0 (a stop by "q" included), or it ended with its status 255
// after the launcher passed it a stop signal, which ffmpeg answers by ending
// the file properly.
bool runKeepsTarget(const RunResult &result);

// Whether the target left after a failed run is the run's own unfinished
// file and may go: a regular file that did not exist before the run, or that
// the run replaced or rewrote. A file the run did not touch is the user's and
// stays.
bool shouldRemoveTarget(const FileState &before, const FileState &after);

// The launcher's own exit status for a run: ffmpeg's status, or 128 plus the
// signal that killed it.
int launcherExitCode(const RunResult &result);
