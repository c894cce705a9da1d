// Loads a DVD folder through the engine as the loading dialog does (title
// scan, then one probe per title file through the launcher) and prints the
// cost per title file. Run it once on a folder whose tables read and once on
// the same title files without their IFO files, where the launcher hands
// the probe to ffmpeg.
// Usage: dvd_load_bench FOLDER RUNS
#include "ConvertEng.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

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
    qsizetype files = 0;
    for (int run = 0; run < runs; ++run) {
        ConvertEng engine;
        QElapsedTimer clock;
        clock.start();
        engine.clear();
        engine.scanFolder(QStringLiteral(".VOB"), args[1]);
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
    }
    std::sort(perFile.begin(), perFile.end());
    std::printf("%lld %.2f\n", static_cast<long long>(files), perFile[perFile.size() / 2]);
    return 0;
}
