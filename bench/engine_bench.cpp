// Converts one title through the engine and prints the wall time it took.
// Usage: engine_bench SOURCE OUTPUT_FOLDER EXTENSION ARGUMENTS
#include "ConvertEng.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: engine_bench SOURCE OUTPUT_FOLDER EXTENSION ARGUMENTS\n");
        return 2;
    }
    ConvertEng engine;
    engine.addJob(args[1]);
    engine.m_outputFolder = args[2];
    engine.m_extension = args[3];
    engine.m_arguments = args[4];
    engine.m_mode = ModeConvert;
    engine.m_callback = [](qint32, void *) -> qint32 { return 1; };

    QElapsedTimer clock;
    clock.start();
    engine.start();
    while (engine.m_state != StateFinished && engine.m_state != StateStopped)
        QThread::msleep(20);
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::printf("%.3f\n", seconds);
    return engine.m_jobs[0]->percent == 100 ? 0 : 1;
}
