// Loads a DVD folder through the engine as the loading dialog does (title
// scan, then one probe per title file through the launcher) and prints the
// cost per title file. Run it once on a folder whose tables read and once on
// the same title files without their IFO files, where the launcher hands
// the probe to ffmpeg. Prints the number of title files, and the median
// wall time and CPU time per title file in ms.
// Usage: dvd_load_bench FOLDER RUNS
#include "ConvertEng.h"
#include "TitleFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace
{

// CPU time (user and system) so far, in ms: this program's own (the engine
// starting and reading its processes) and that of all waited-for children
// (the job scripts, launchers and ffmpeg runs).
double cpuMs()
{
    const auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        ::getrusage(who, &usage);
        total += ms(usage.ru_utime) + ms(usage.ru_stime);
    }
    return total;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: dvd_load_bench FOLDER RUNS\n");
        return 2;
    }
    const int runs = std::max(1, args[2].toInt());
    std::vector<double> perFile;
    std::vector<double> cpuPerFile;
    qsizetype files = 0;
    for (int run = 0; run < runs; ++run) {
        ConvertEng engine;
        const double cpuBefore = cpuMs();
        QElapsedTimer clock;
        clock.start();
        engine.clear();
        engine.scanFolder(kTitleExtension, args[1]);
        engine.m_mode = ModeProbe;
        engine.start();
        while (engine.m_state != StateFinished && engine.m_state != StateStopped)
            QThread::usleep(200);
        files = engine.m_jobs.size();
        if (files == 0) {
            std::fprintf(stderr, "dvd_load_bench: no title files in %s\n", qPrintable(args[1]));
            return 1;
        }
        perFile.push_back(clock.nsecsElapsed() / 1e6 / double(files));
        cpuPerFile.push_back((cpuMs() - cpuBefore) / double(files));
    }
    std::sort(perFile.begin(), perFile.end());
    std::sort(cpuPerFile.begin(), cpuPerFile.end());
    // Wall time, then the CPU time of the whole load, which a busy machine
    // does not inflate as much.
    std::printf("%lld %.2f %.2f\n", static_cast<long long>(files), perFile[perFile.size() / 2],
                cpuPerFile[cpuPerFile.size() / 2]);
    return 0;
}
