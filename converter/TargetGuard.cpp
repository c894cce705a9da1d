#include "TargetGuard.h"

#include <sys/stat.h>

FileState captureFileState(const std::string &path)
{
    FileState state;
    struct stat info {
    };
    if (::lstat(path.c_str(), &info) != 0)
        return state;
    state.exists = true;
    state.regular = S_ISREG(info.st_mode);
    state.device = info.st_dev;
    state.inode = info.st_ino;
    state.size = info.st_size;
    state.modified = info.st_mtim;
    return state;
}

bool isSameFile(const FileState &a, const FileState &b)
{
    return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
}

bool refersToSameFile(const std::string &a, const std::string &b)
{
    struct stat first {
    };
    struct stat second {
    };
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool runKeepsTarget(const RunResult &result)
{
    if (!result.exited)
        return false;
    return result.exitCode == 0 || (result.stopSignal != 0 && result.exitCode == 255);
}

bool shouldRemoveTarget(const FileState &before, const FileState &after)
{
    if (!after.exists || !after.regular)
        return false;
    if (!before.exists)
        return true;
    return !isSameFile(before, after) || before.size != after.size ||
           before.modified.tv_sec != after.modified.tv_sec ||
           before.modified.tv_nsec != after.modified.tv_nsec;
}

int launcherExitCode(const RunResult &result)
{
    return result.exited ? result.exitCode : 128 + result.killSignal;
}
