#include "FileKind.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace dvd
{

namespace
{

// The block devices of optical drives (sr0, sr1, ...).
constexpr unsigned int kDiscDriveMajor = 11;

} // namespace

std::string refusedFileReason(const std::string &path)
{
    struct stat info {
    };
    if (::stat(path.c_str(), &info) != 0)
        return {};
    const char *kind = nullptr;
    if (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))
        return {};
    if (S_ISBLK(info.st_mode) && major(info.st_rdev) == kDiscDriveMajor)
        return {};
    if (S_ISFIFO(info.st_mode))
        kind = "a FIFO";
    else if (S_ISSOCK(info.st_mode))
        kind = "a socket";
    else if (S_ISBLK(info.st_mode))
        kind = "a device that is not a disc drive";
    else
        kind = "a device";
    return "'" + path + "' is " + kind + ", not a file; it is not read";
}

} // namespace dvd
