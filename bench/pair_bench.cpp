// Runs two commands in turns, A B B A A B ..., and prints the wall time of
// each run, then the medians of each and of the per-pair ratios A/B. Runs
// made side by side see the same load, which drifts on a shared machine.
//
//     pair_bench PAIRS COMMAND_A... -- COMMAND_B...
//
// The commands' output goes to /dev/null; a command that fails ends the
// bench, so a figure never comes from a run that did not do its work.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace
{

// Wall seconds of one run of `command`, or a negative value when it failed.
double runOnce(const std::vector<char *> &command)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, command[0], &actions, nullptr, command.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return -1;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<char *> a;
    std::vector<char *> b;
    bool second = false;
    for (int i = 2; i < argc; ++i) {
        if (!second && std::strcmp(argv[i], "--") == 0)
            second = true;
        else
            (second ? b : a).push_back(argv[i]);
    }
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 0;
    if (pairs < 1 || a.empty() || b.empty()) {
        std::fprintf(stderr, "usage: pair_bench PAIRS COMMAND_A... -- COMMAND_B...\n");
        return 2;
    }
    a.push_back(nullptr);
    b.push_back(nullptr);

    std::vector<double> timesA, timesB, ratios;
    for (int i = 0; i < pairs; ++i) {
        // The order alternates, so that neither always runs on a warm cache.
        double ta = 0, tb = 0;
        if (i % 2 == 0) {
            ta = runOnce(a);
            tb = runOnce(b);
        } else {
            tb = runOnce(b);
            ta = runOnce(a);
        }
        if (ta < 0 || tb < 0) {
            std::fprintf(stderr, "pair_bench: %s failed\n", ta < 0 ? a[0] : b[0]);
            return 1;
        }
        std::printf("pair %2d  A %8.4f s  B %8.4f s  A/B %7.2f\n", i + 1, ta, tb, ta / tb);
        timesA.push_back(ta);
        timesB.push_back(tb);
        ratios.push_back(ta / tb);
    }
    std::printf("median of %d pairs: A %.4f s, B %.4f s, per-pair ratio A/B %.2f\n", pairs,
                median(timesA), median(timesB), median(ratios));
    return 0;
}
