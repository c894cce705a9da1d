#include "WindowProgram.h"

#include "AppInfo.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <limits.h>
#include <unistd.h>

namespace cli
{

namespace
{
// The exit code of a program that cannot be run, as the shell reports it.
constexpr int kCannotRunExitCode = 126;
} // namespace

QString windowProgramPath()
{
    // The executable's own path, its links resolved, whether or not a
    // QCoreApplication exists yet: the window is handed over before one is
    // made.
    char self[PATH_MAX + 1] = {};
    const ssize_t length = ::readlink("/proc/self/exe", self, PATH_MAX);
    QString folder = length > 0 ? QFile::decodeName(QByteArray(self, int(length))) : QString();
    folder.truncate(folder.lastIndexOf(u'/') + 1);
    return folder + QStringLiteral(VELKO_WINDOW_PROGRAM);
}

int handOverToWindow(char **argv)
{
    const QByteArray program = QFile::encodeName(windowProgramPath());
    std::fflush(stdout);
    ::execv(program.constData(), argv);
    const int error = errno;
    std::fprintf(stderr, "%s: cannot start the window program %s: %s\n",
                 argv && argv[0] ? argv[0] : "VelkoFreeDVDRipper", program.constData(),
                 std::strerror(error));
    return kCannotRunExitCode;
}

} // namespace cli
