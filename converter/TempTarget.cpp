#include "TempTarget.h"

#include "TargetNames.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// What the signal handler needs, set before the handlers are in place.
char g_cleanupPath[4096] = {};
std::atomic<pid_t> g_cleanupChild{0};
static_assert(std::atomic<pid_t>::is_always_lock_free);

// What every hidden name holds between the target's name and its random part.
constexpr char kMarker[] = ".torvane-";
// How long a hidden file no launcher holds must have been left alone before
// it counts as left behind: the moment between its creation and its lock.
constexpr time_t kStaleSeconds = 10;

constexpr int fatalSignals[] = {SIGHUP, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM};

void cleanUpAndDie(int signal)
{
    const pid_t child = g_cleanupChild.load();
    if (child > 0)
        ::kill(child, SIGKILL);
    if (g_cleanupPath[0] != '\0')
        ::unlink(g_cleanupPath);
    // Die of the same signal, so whoever waits for the launcher sees it.
    ::signal(signal, SIG_DFL);
    sigset_t self;
    sigemptyset(&self);
    sigaddset(&self, signal);
    ::sigprocmask(SIG_UNBLOCK, &self, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);
}

} // namespace

TempTarget::~TempTarget()
{
    if (!m_done)
        discard();
    else if (m_lockFd >= 0)
        ::close(m_lockFd);
}

std::string TempTarget::pattern(const std::string &target, int &suffixLength)
{
    const targetnames::SplitName parts = targetnames::split(target);
    suffixLength = int(parts.extension.size());
    const std::string tail = std::string(kMarker) + "XXXXXX" + parts.extension;
    return parts.folder + '.' +
           targetnames::fit(parts.stem, tail, targetnames::nameLimit(parts.folder) - 1);
}

bool TempTarget::writesDirectly(const std::string &target)
{
    struct stat info {
    };
    if (::stat(target.c_str(), &info) != 0)
        return false;
    return S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) || S_ISFIFO(info.st_mode) ||
           S_ISSOCK(info.st_mode);
}

bool TempTarget::create(const std::string &target)
{
    int suffixLength = 0;
    std::string name = pattern(target, suffixLength);
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    const int fd = ::mkostemps(buffer.data(), suffixLength, O_CLOEXEC);
    if (fd < 0)
        return false;
    // mkstemps makes the file private to its owner; the finished film gets
    // what any new file of the user gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::flock(fd, LOCK_EX);
    m_lockFd = fd;
    m_target = target;
    m_path = buffer.data();
    m_done = false;
    return true;
}

void TempTarget::release()
{
    m_done = true;
    g_cleanupPath[0] = '\0';
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
}

bool TempTarget::commit()
{
    if (::rename(m_path.c_str(), m_target.c_str()) != 0)
        return false;
    release();
    return true;
}

std::string TempTarget::commitAside(const std::string &label)
{
    for (int n = 1; n < 100; ++n) {
        const std::string name = targetnames::aside(m_target, label, n);
        if (::renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) {
            release();
            return name;
        }
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL && errno != ENOSYS)
            return {};
        // A file system without that kind of rename: a hard link fails the
        // same way on an existing name.
        if (::link(m_path.c_str(), name.c_str()) == 0) {
            ::unlink(m_path.c_str());
            release();
            return name;
        }
        if (errno != EEXIST)
            return {};
    }
    errno = EEXIST;
    return {};
}

bool TempTarget::discard()
{
    release();
    return ::unlink(m_path.c_str()) == 0 || errno == ENOENT;
}

int TempTarget::removeStale(const std::string &folder)
{
    DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return 0;
    const int dirFd = ::dirfd(dir);
    int removed = 0;
    const time_t now = ::time(nullptr);
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() < 2 || name[0] != '.' || name.find(kMarker) == std::string::npos)
            continue;
        const int fd =
            ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {
        };
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            now - info.st_mtime >= kStaleSeconds && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::unlinkat(dirFd, name.c_str(), 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

void TempTarget::removeOnFatalSignals()
{
    if (m_path.size() >= sizeof g_cleanupPath)
        return;
    std::memcpy(g_cleanupPath, m_path.c_str(), m_path.size() + 1);
    struct sigaction action {
    };
    action.sa_handler = cleanUpAndDie;
    sigemptyset(&action.sa_mask);
    for (int signal : fatalSignals) {
        struct sigaction current {
        };
        ::sigaction(signal, nullptr, &current);
        // A signal the launcher was started with ignored stays ignored.
        if (current.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
}

void TempTarget::setChild(pid_t child)
{
    g_cleanupChild = child;
}
