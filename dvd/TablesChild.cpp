#include "TablesChild.h"

#include "BackupTables.h"
#include "DiscFiles.h"
#include "Log.h"
#include "TablesText.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace dvd
{

namespace
{

namespace fs = std::filesystem;

// More than any DVD's description holds: a child writing on past it is not
// describing tables.
constexpr std::size_t kMaxTextBytes = 64 * 1024 * 1024;
// How often a wait for the child looks at the cancel flag.
constexpr int kCancelPollMs = 50;

std::string &programSetting()
{
    static std::string program;
    return program;
}

// How one run of the child ended.
struct ChildRun {
    OpenResult result;
    bool answered = false; // the child ended normally with a readable text
    std::string failure;   // else what went wrong, for the log and the message
};

ChildRun runChild(const std::string &program, const std::vector<std::string> &arguments,
                  const OpenOptions &options)
{
    ChildRun run;
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        run.failure = "no pipe for the tables' reader";
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    // What libdvdread or the C library say when they fail is the child's
    // own business unless the module's log is asked for.
    if (!std::getenv("VELKO_DVD_LOG"))
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        run.failure = "the tables' reader " + program + " cannot be started";
        return run;
    }

    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeoutMs);
    std::string text;
    bool killed = false;
    for (;;) {
        if (options.cancel && options.cancel->load()) {
            run.result.error = OpenError::Cancelled;
            run.result.message = "Reading the DVD's tables was cancelled";
            killed = true;
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            run.failure =
                "reading them took longer than " + std::to_string(options.timeoutMs / 1000) + " s";
            killed = true;
            break;
        }
        pollfd ready{pipeEnds[0], POLLIN, 0};
        const int waited = ::poll(&ready, 1, int(std::min<long long>(left.count(), kCancelPollMs)));
        if (waited < 0 && errno != EINTR) {
            run.failure = "the tables' reader cannot be heard";
            killed = true;
            break;
        }
        if (waited <= 0)
            continue;
        char buffer[65536];
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(buffer, std::size_t(got));
        if (text.size() > kMaxTextBytes) {
            run.failure = "its reader wrote far more than any DVD's tables hold";
            killed = true;
            break;
        }
    }
    ::close(pipeEnds[0]);
    if (killed)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (killed)
        return run;
    if (WIFSIGNALED(status)) {
        run.failure = "reading them crashed (signal " + std::to_string(WTERMSIG(status)) + ")";
        return run;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        run.failure = "their reader failed (status " + std::to_string(WEXITSTATUS(status)) + ")";
        return run;
    }
    std::optional<OpenResult> answer = TablesText::read(text);
    if (!answer) {
        run.failure = "their reader's answer cannot be read";
        return run;
    }
    run.result = std::move(*answer);
    run.answered = true;
    return run;
}

OpenResult damaged(const std::string &source, const std::string &why)
{
    OpenResult result;
    result.error = OpenError::Damaged;
    result.message = "The DVD's tables are damaged (" + why + ")";
    log(LogLevel::Warning, source + ": " + result.message);
    return result;
}

} // namespace

void readTablesInChild(std::string program)
{
    programSetting() = std::move(program);
}

const std::string &tablesProgram()
{
    return programSetting();
}

std::vector<std::string> tablesArguments(const std::string &source, const OpenOptions &options)
{
    std::vector<std::string> arguments{kTablesOption};
    if (options.onlyTitleSet != 0) {
        arguments.push_back(kTitleSetOption);
        arguments.push_back(std::to_string(options.onlyTitleSet));
    }
    if (!options.tablesFolder.empty()) {
        arguments.push_back(kTablesFolderOption);
        arguments.push_back(options.tablesFolder);
    }
    arguments.push_back(source);
    return arguments;
}

bool parseTablesArguments(const std::vector<std::string> &arguments, std::string &source,
                          OpenOptions &options)
{
    if (arguments.empty() || arguments.front() != kTablesOption)
        return false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (i + 1 == arguments.size()) {
            source = argument;
            return true;
        }
        if (argument == kTitleSetOption) {
            char *end = nullptr;
            options.onlyTitleSet = int(std::strtol(arguments[++i].c_str(), &end, 10));
            if (*end != '\0' || options.onlyTitleSet < 0)
                return false;
        } else if (argument == kTablesFolderOption) {
            options.tablesFolder = arguments[++i];
        } else {
            return false;
        }
    }
    return false;
}

OpenResult openInChild(const std::string &program, const std::string &source,
                       const OpenOptions &options)
{
    // What would block the child is refused before it starts, at once.
    if (const std::string refused = refusedSourceReason(source); !refused.empty()) {
        OpenResult result;
        result.error = OpenError::Unreadable;
        result.message = refused;
        return result;
    }
    OpenOptions first = options;
    first.tablesFolder.clear();
    ChildRun run = runChild(program, tablesArguments(source, first), first);
    if (run.answered || run.result.error == OpenError::Cancelled)
        return run.result;
    log(LogLevel::Warning, source + ": the DVD's tables: " + run.failure);

    std::error_code error;
    const fs::path videoFolder =
        fs::is_directory(source, error) ? findVideoFolder(source) : fs::path();
    if (videoFolder.empty())
        return damaged(source, run.failure);
    const BackupTables backup(videoFolder);
    if (backup.folder().empty())
        return damaged(source, run.failure + "; there is no copy of them");
    OpenOptions second = options;
    second.tablesFolder = backup.folder().string();
    ChildRun again = runChild(program, tablesArguments(source, second), second);
    if (again.answered || again.result.error == OpenError::Cancelled)
        return again.result;
    return damaged(source, run.failure + "; with their copies, " + again.failure);
}

} // namespace dvd
