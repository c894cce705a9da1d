// Converts one title and prints the wall time and the CPU time it took (the
// converter's processes included), in seconds: "WALL CPU".
//   engine_bench engine SOURCE OUTPUT_FOLDER EXTENSION ARGUMENTS
//       through the engine: job script, probe, progress parsing;
//   engine_bench direct CONVERTER SOURCE TARGET ARGUMENTS
//       the same converter command run directly, with nothing around it.
#include "ConvertEng.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <cstdio>

#include <sys/resource.h>

namespace
{

// CPU seconds of this process and of every descendant it has waited for
// (the shell waits for the launcher, the launcher for ffmpeg).
double cpuSeconds()
{
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    rusage self = {};
    rusage children = {};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    return seconds(self.ru_utime) + seconds(self.ru_stime) + seconds(children.ru_utime) +
           seconds(children.ru_stime);
}

bool throughEngine(const QStringList &args)
{
    ConvertEng engine;
    engine.addJob(args[2]);
    engine.m_outputFolder = args[3];
    engine.m_extension = args[4];
    engine.m_arguments = args[5];
    engine.m_mode = ModeConvert;
    engine.m_callback = [](qint32, void *) -> qint32 { return 1; };
    engine.start();
    while (engine.m_state != StateFinished && engine.m_state != StateStopped)
        QThread::msleep(20);
    return engine.m_jobs[0]->percent == 100;
}

bool direct(const QStringList &args)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(args[2], QStringList{"-y", "-i", args[3]} +
                               args[5].split(u' ', Qt::SkipEmptyParts) + QStringList{args[4]});
    process.closeWriteChannel();
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6 || (args[1] != u"engine" && args[1] != u"direct")) {
        std::fprintf(stderr, "usage: engine_bench engine SOURCE OUTPUT_FOLDER EXTENSION ARGUMENTS\n"
                             "       engine_bench direct CONVERTER SOURCE TARGET ARGUMENTS\n");
        return 2;
    }
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    const bool ok = args[1] == u"engine" ? throughEngine(args) : direct(args);
    const double wall = clock.nsecsElapsed() / 1e9;
    std::printf("%.3f %.3f\n", wall, cpuSeconds() - cpuBefore);
    return ok ? 0 : 1;
}
