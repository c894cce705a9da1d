// Loads a DVD folder in the file view's way, in rounds, and prints for each
// round, side by side:
//   window    the "Loading..." window from DoModal to its return;
//   engine    the engine alone: the title scan and one probe per title file,
//             to its final state;
//   launcher  the launcher's own probe (core/torvane -i FILE) of each title
//             file, one after the other;
// then the medians of the per-round ratios window/engine and, per title
// file, engine/launcher.
//
//     load_bench ROUNDS FOLDER
#include "ConvertEng.h"
#include "LoadingDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double windowMs(const QString &folder, int *titles)
{
    CLoadingDlg dlg;
    dlg.SetSource(QStringLiteral(".VOB"), folder);
    QElapsedTimer clock;
    clock.start();
    dlg.DoModal();
    *titles = int(dlg.m_titles.size());
    return clock.nsecsElapsed() / 1e6;
}

double engineMs(const QString &folder, QStringList *files)
{
    ConvertEng engine;
    QElapsedTimer clock;
    clock.start();
    engine.scanFolder(QStringLiteral(".VOB"), folder);
    engine.m_mode = ModeProbe;
    engine.start();
    while (engine.m_state != StateFinished && engine.m_state != StateStopped)
        QThread::usleep(100);
    const double ms = clock.nsecsElapsed() / 1e6;
    files->clear();
    for (const ConvertJob *job : std::as_const(engine.m_jobs))
        *files << job->source;
    return ms;
}

double launcherMs(const QStringList &files)
{
    QElapsedTimer clock;
    clock.start();
    for (const QString &file : files) {
        QProcess probe;
        probe.setProcessChannelMode(QProcess::MergedChannels);
        probe.start(ConvertEng::makeConverterPath(), {QStringLiteral("-i"), file});
        probe.waitForFinished(-1);
    }
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 || args[1].toInt() < 1) {
        std::fprintf(stderr, "usage: load_bench ROUNDS FOLDER\n");
        return 2;
    }
    const int rounds = args[1].toInt();
    std::vector<double> windowRatios, probeRatios, windows, engines, launchers;
    for (int i = 0; i < rounds; ++i) {
        QStringList files;
        int titles = 0;
        double w = 0, e = 0;
        // The order alternates, so that neither always runs on a warm cache.
        if (i % 2 == 0) {
            w = windowMs(args[2], &titles);
            e = engineMs(args[2], &files);
        } else {
            e = engineMs(args[2], &files);
            w = windowMs(args[2], &titles);
        }
        if (files.isEmpty() || titles != files.size()) {
            std::fprintf(stderr, "load_bench: %lld title files, the window listed %d\n",
                         static_cast<long long>(files.size()), titles);
            return 1;
        }
        const double l = launcherMs(files);
        const double n = double(files.size());
        std::printf("round %2d  window %8.1f ms  engine %8.1f ms  launcher %8.1f ms  "
                    "window/engine %5.2f  per file: engine %6.1f ms, launcher %6.1f ms, "
                    "ratio %5.2f\n",
                    i + 1, w, e, l, w / e, e / n, l / n, e / l);
        windowRatios.push_back(w / e);
        probeRatios.push_back(e / l);
        windows.push_back(w);
        engines.push_back(e);
        launchers.push_back(l / n);
    }
    std::printf("median of %d rounds: window %.1f ms, engine %.1f ms, per-round ratio "
                "window/engine %.2f; per title file: launcher %.1f ms, per-round ratio "
                "engine/launcher %.2f\n",
                rounds, median(windows), median(engines), median(windowRatios), median(launchers),
                median(probeRatios));
    return 0;
}
