// Measures how long a stop takes: from the stop request to the final state,
// in ms, once a conversion is well under way (SETTLE_MS after its first
// progress report). Prints that time alone.
//
//   stop_bench window SETTLE_MS SOURCE OUTPUT_FOLDER CATEGORY PRESET
//       the "Converting..." window converting a title file with a preset of
//       the catalogue: the stop as its Stop button asks for it, to the
//       window closing by itself;
//   stop_bench command SETTLE_MS PROGRAM ARGUMENTS...
//       the program's --convert: SIGINT, to the process's end;
//   stop_bench direct SETTLE_MS PROGRAM ARGUMENTS...
//       a converter run directly: "q" on its standard input, to its end.
#include "ConvertDlg.h"
#include "PresetCatalogue.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace
{

// What a converter's progress line says it has reached, in seconds, or -1.
double progressTime(const QByteArray &output)
{
    static const QRegularExpression time(QStringLiteral("time=(\\d+):(\\d+):(\\d+\\.?\\d*)"));
    double latest = -1;
    auto it = time.globalMatch(QString::fromLatin1(output));
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        latest = m.captured(1).toDouble() * 3600 + m.captured(2).toDouble() * 60 +
                 m.captured(3).toDouble();
    }
    return latest;
}

// The command line's progress: "\rN%" with N above 0.
bool percentShown(const QByteArray &output)
{
    static const QRegularExpression percent(QStringLiteral("\\r([1-9]\\d*)%"));
    return percent.match(QString::fromLatin1(output)).hasMatch();
}

int window(const QStringList &args)
{
    PresetCatalogue catalogue;
    BuildPresetCatalogue(catalogue);
    int category = 0;
    while (category < catalogue.CategoryCount() && catalogue.CategoryName(category) != args[5])
        ++category;
    int preset = 0;
    while (preset < catalogue.PresetCount(category) &&
           catalogue.PresetName(category, preset) != args[6])
        ++preset;
    if (preset >= catalogue.PresetCount(category)) {
        std::fprintf(stderr, "stop_bench: no preset '%s' in '%s'\n", qPrintable(args[6]),
                     qPrintable(args[5]));
        return 2;
    }
    const int settle = args[2].toInt();
    CConvertDlg dlg;
    dlg.m_engine.addJob(args[3]);
    dlg.m_engine.m_outputFolder = args[4];
    dlg.m_engine.m_extension = catalogue.PresetExtension(category, preset);
    dlg.m_engine.m_arguments = catalogue.PresetArguments(category, preset);
    dlg.m_engine.m_callback = [](qint32, void *) -> qint32 { return 1; };
    QElapsedTimer stopClock;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        ConvertJob job;
        if (dlg.m_engine.getCurrentJob(job) && job.position > 0) {
            watch.stop();
            QTimer::singleShot(settle, Qt::PreciseTimer, [&] {
                stopClock.start();
                dlg.m_engine.requestStop();
            });
        }
    });
    watch.start();
    dlg.DoModal();
    if (!stopClock.isValid()) {
        std::fprintf(stderr, "stop_bench: the conversion ended before it was stopped\n");
        return 1;
    }
    std::printf("%.1f\n", stopClock.nsecsElapsed() / 1e6);
    return 0;
}

int process(const QStringList &args, bool direct)
{
    const int settle = args[2].toInt();
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(args[3], args.mid(4));
    if (!child.waitForStarted(-1))
        return 1;
    QByteArray output;
    QElapsedTimer settleClock;
    while (child.state() == QProcess::Running) {
        child.waitForReadyRead(20);
        output += child.readAll();
        if (!settleClock.isValid() && (direct ? progressTime(output) > 0 : percentShown(output)))
            settleClock.start();
        if (settleClock.isValid() && settleClock.elapsed() >= settle)
            break;
    }
    if (child.state() != QProcess::Running) {
        std::fprintf(stderr, "stop_bench: the conversion ended before it was stopped:\n%s\n",
                     output.right(2000).constData());
        return 1;
    }
    QElapsedTimer stopClock;
    stopClock.start();
    if (direct)
        child.write("q");
    else
        ::kill(pid_t(child.processId()), SIGINT);
    // Output is read on, so that a full pipe never holds the child up.
    while (!child.waitForFinished(5))
        child.readAll();
    std::printf("%.1f\n", stopClock.nsecsElapsed() / 1e6);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 7 && args[1] == u"window")
        return window(args);
    if (args.size() > 3 && (args[1] == u"command" || args[1] == u"direct"))
        return process(args, args[1] == u"direct");
    std::fprintf(stderr, "usage: stop_bench window SETTLE_MS SOURCE OUTPUT_FOLDER CATEGORY PRESET\n"
                         "       stop_bench command|direct SETTLE_MS PROGRAM ARGUMENTS...\n");
    return 2;
}
