#include "TargetGuard.h"

#include <sys/stat.h>

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

int launcherExitCode(const RunResult &result)
{
    return result.exited ? result.exitCode : 128 + result.killSignal;
}
