#include "ChildProcess.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <iterator>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

std::atomic<pid_t> g_child{0};
volatile sig_atomic_t g_stopSignal = 0;
static_assert(std::atomic<pid_t>::is_always_lock_free);

constexpr int forwardedSignals[] = {SIGINT, SIGTERM};
// A signal the launcher was started with ignored stays ignored, for the
// child too, as a shell running it in the background expects.
bool g_handled[std::size(forwardedSignals)] = {};

void forwardSignal(int signal, siginfo_t *info, void *)
{
    const int savedErrno = errno;
    g_stopSignal = signal;
    const pid_t child = g_child.load();
    // A signal from the terminal went to the child as well; sending it a
    // second copy would bring it nearer to its hard exit on repeated signals.
    if (child > 0 && info->si_code != SI_KERNEL)
        ::kill(child, signal);
    errno = savedErrno;
}

std::vector<char *> makeArgv(const std::vector<std::string> &argv)
{
    std::vector<char *> pointers;
    for (const std::string &argument : argv)
        pointers.push_back(const_cast<char *>(argument.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// In the child between fork and exec: death with the launcher, default
// signal handling, the parent's signal mask, then the program; on failure the
// errno goes back through the close-on-exec pipe.
[[noreturn]] void startChild(char *const *argv, const sigset_t &mask, int errorPipe, int fd3,
                             int stderrFd, pid_t launcher)
{
    // A launcher that is killed (the out-of-memory killer picks the biggest
    // process group member it can) must not leave ffmpeg behind, writing on
    // and out of reach of the engine's stop. If the launcher died before the
    // request took hold, the child has been handed to another parent already.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != launcher)
        ::_exit(127);
    // Standard error first: the relay's pipe may sit on descriptor 3.
    if (stderrFd >= 0)
        ::dup2(stderrFd, STDERR_FILENO);
    if (fd3 >= 0 && fd3 != 3 && ::dup2(fd3, 3) < 0) {
        const int error = errno;
        [[maybe_unused]] ssize_t written = ::write(errorPipe, &error, sizeof error);
        ::_exit(127);
    }
    if (fd3 == 3)
        ::fcntl(3, F_SETFD, 0);
    for (std::size_t i = 0; i < std::size(forwardedSignals); ++i)
        if (g_handled[i])
            ::signal(forwardedSignals[i], SIG_DFL);
    ::sigprocmask(SIG_SETMASK, &mask, nullptr);
    ::execvp(argv[0], argv);
    const int error = errno;
    [[maybe_unused]] ssize_t written = ::write(errorPipe, &error, sizeof error);
    ::_exit(127);
}

int readStartError(int errorPipe)
{
    int error = 0;
    ssize_t got;
    do {
        got = ::read(errorPipe, &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    return got == ssize_t(sizeof error) ? error : 0;
}

RunResult waitFor(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    RunResult result;
    result.exited = WIFEXITED(status);
    result.exitCode = result.exited ? WEXITSTATUS(status) : 0;
    result.killSignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return result;
}

} // namespace

ChildRun runForwardingSignals(const std::vector<std::string> &argv, int fd3,
                              const std::function<void()> &whenStarted, const ChildRelay &relay)
{
    ChildRun run;
    std::vector<char *> pointers = makeArgv(argv);

    // The handlers are in place and the signals held back until the child's
    // pid is known, so no stop request falls between fork and the pid store.
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    for (int signal : forwardedSignals)
        sigaddset(&blocked, signal);
    ::sigprocmask(SIG_BLOCK, &blocked, &previous);
    struct sigaction action {
    };
    action.sa_sigaction = forwardSignal;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(forwardedSignals); ++i) {
        struct sigaction current {
        };
        ::sigaction(forwardedSignals[i], nullptr, &current);
        g_handled[i] = current.sa_handler != SIG_IGN;
        if (g_handled[i])
            ::sigaction(forwardedSignals[i], &action, nullptr);
    }

    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        run.startError = errno;
        if (relay.errorFd >= 0)
            ::close(relay.errorFd);
        ::sigprocmask(SIG_SETMASK, &previous, nullptr);
        return run;
    }
    const pid_t launcher = ::getpid();
    const pid_t child = ::fork();
    if (child == 0)
        startChild(pointers.data(), previous, errorPipe[1], fd3, relay.errorFd, launcher);
    const int forkError = errno;
    ::close(errorPipe[1]);
    if (child < 0) {
        ::close(errorPipe[0]);
        if (relay.errorFd >= 0)
            ::close(relay.errorFd);
        ::sigprocmask(SIG_SETMASK, &previous, nullptr);
        run.startError = forkError;
        return run;
    }
    g_child = child;
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);

    if (relay.errorFd >= 0)
        ::close(relay.errorFd);
    run.startError = readStartError(errorPipe[0]);
    ::close(errorPipe[0]);
    if (run.startError == 0 && whenStarted)
        whenStarted();
    if (relay.drain)
        relay.drain(child);
    run.result = waitFor(child);
    g_child = 0;
    run.started = run.startError == 0;
    run.result.stopSignal = g_stopSignal;
    return run;
}

void execProgram(const std::vector<std::string> &argv)
{
    std::vector<char *> pointers = makeArgv(argv);
    ::execvp(pointers[0], pointers.data());
}
