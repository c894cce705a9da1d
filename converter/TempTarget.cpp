#include "TempTarget.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// What the signal handler needs, set before the handlers are in place.
char g_cleanupPath[4096] = {};
std::atomic<pid_t> g_cleanupChild{0};
static_assert(std::atomic<pid_t>::is_always_lock_free);

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
}

std::string TempTarget::pattern(const std::string &target, int &suffixLength)
{
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    // A leading dot belongs to the name, not to an extension.
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : std::string();
    suffixLength = int(extension.size());
    return folder + '.' + stem + ".torvane-XXXXXX" + extension;
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
    const int fd = ::mkstemps(buffer.data(), suffixLength);
    if (fd < 0)
        return false;
    // mkstemps makes the file private to its owner; the finished film gets
    // what any new file of the user gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    m_target = target;
    m_path = buffer.data();
    m_done = false;
    return true;
}

bool TempTarget::commit()
{
    if (::rename(m_path.c_str(), m_target.c_str()) != 0)
        return false;
    m_done = true;
    g_cleanupPath[0] = '\0';
    return true;
}

bool TempTarget::discard()
{
    m_done = true;
    g_cleanupPath[0] = '\0';
    return ::unlink(m_path.c_str()) == 0 || errno == ENOENT;
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
