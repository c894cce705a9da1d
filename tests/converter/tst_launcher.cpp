// How the launcher reads its command line, and when it lets a target go.
#include "LauncherCommand.h"
#include "TargetGuard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <unistd.h>

using Strings = std::vector<std::string>;

Q_DECLARE_METATYPE(Strings)

namespace
{

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

RunResult exited(int code, int stopSignal = 0)
{
    RunResult result;
    result.exited = true;
    result.exitCode = code;
    result.stopSignal = stopSignal;
    return result;
}

RunResult killed(int signal, int stopSignal = 0)
{
    RunResult result;
    result.killSignal = signal;
    result.stopSignal = stopSignal;
    return result;
}

} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT

private slots:
    void forms_data()
    {
        QTest::addColumn<Strings>("arguments");
        QTest::addColumn<int>("form");
        QTest::addColumn<Strings>("ffmpeg");

        QTest::newRow("probe") << Strings{"-i", "/dvd/VTS_01_1.VOB"} << int(LauncherForm::Probe)
                               << Strings{"ffmpeg", "-hide_banner", "-i", "/dvd/VTS_01_1.VOB"};
        QTest::newRow("conversion")
            << Strings{"-y", "-i", "in.VOB", "-acodec", "libvo_aacenc", "out.mp4"}
            << int(LauncherForm::Convert)
            << Strings{"ffmpeg", "-hide_banner",      "-y",      "-i",  "in.VOB",
                       "-af",    "aresample=async=1", "-acodec", "aac", "out.mp4"};
        QTest::newRow("conversion without options")
            << Strings{"-y", "-i", "in.VOB", "out.VOB"} << int(LauncherForm::Convert)
            << Strings{"ffmpeg", "-hide_banner",      "-y",     "-i", "in.VOB",
                       "-af",    "aresample=async=1", "out.VOB"};
        // Paths that look like options the rewrite acts on reach ffmpeg as
        // they were given, wherever they stand.
        QTest::newRow("source and target that look like options")
            << Strings{"-y", "-i", "-deinterlace", "-flags", "+mv0", "-async"}
            << int(LauncherForm::Convert)
            << Strings{"ffmpeg", "-hide_banner",      "-y",         "-i",   "-deinterlace",
                       "-af",    "aresample=async=1", "-mpv_flags", "+mv0", "-async"};
        QTest::newRow("paths with blanks and old encoder names")
            << Strings{"-y", "-i", "/a b/libvo_aacenc -vb.VOB", "-vb", "1M", "/out dir/-ab 1.mp4"}
            << int(LauncherForm::Convert)
            << Strings{"ffmpeg", "-hide_banner",      "-y",   "-i", "/a b/libvo_aacenc -vb.VOB",
                       "-af",    "aresample=async=1", "-b:v", "1M", "/out dir/-ab 1.mp4"};
        QTest::newRow("anything else is passed on unchanged")
            << Strings{"-y", "-i", "in.VOB"} << int(LauncherForm::Other)
            << Strings{"ffmpeg", "-hide_banner", "-y", "-i", "in.VOB"};
        QTest::newRow("options before -i are not rewritten")
            << Strings{"-vb", "1M", "-i", "in.VOB", "out.avi"} << int(LauncherForm::Other)
            << Strings{"ffmpeg", "-hide_banner", "-vb", "1M", "-i", "in.VOB", "out.avi"};
        QTest::newRow("no arguments")
            << Strings{} << int(LauncherForm::Other) << Strings{"ffmpeg", "-hide_banner"};
    }

    void forms()
    {
        QFETCH(Strings, arguments);
        QFETCH(int, form);
        QFETCH(Strings, ffmpeg);
        const LauncherCommand command = makeLauncherCommand(arguments);
        QCOMPARE(int(command.form), form);
        QVERIFY(command.ffmpeg == ffmpeg);
        if (command.form == LauncherForm::Convert) {
            QCOMPARE(command.source, arguments[2]);
            QCOMPARE(command.target, arguments.back());
        }
    }

    void keepsTarget()
    {
        QVERIFY(runKeepsTarget(exited(0)));            // finished, or stopped by "q"
        QVERIFY(runKeepsTarget(exited(255, SIGTERM))); // finished the file on a stop signal
        QVERIFY(runKeepsTarget(exited(255, SIGINT)));
        QVERIFY(runKeepsTarget(exited(0, SIGINT)));
        QVERIFY(!runKeepsTarget(exited(1)));
        QVERIFY(!runKeepsTarget(exited(255)));         // 255 without a stop is a failure
        QVERIFY(!runKeepsTarget(exited(123, SIGINT))); // ffmpeg's hard exit
        QVERIFY(!runKeepsTarget(killed(SIGKILL)));
        QVERIFY(!runKeepsTarget(killed(SIGTERM, SIGTERM)));
    }

    void exitCodes()
    {
        QCOMPARE(launcherExitCode(exited(0)), 0);
        QCOMPARE(launcherExitCode(exited(255, SIGTERM)), 255);
        QCOMPARE(launcherExitCode(killed(SIGKILL)), 137);
        QCOMPARE(launcherExitCode(killed(SIGSEGV)), 128 + SIGSEGV);
    }

    void sameFileUnderOtherNames()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("VTS_01_1.VOB"));
        QVERIFY(writeFile(source, "title"));
        const std::string path = source.toStdString();
        const QString link = dir.filePath(QStringLiteral("link.VOB"));
        QVERIFY(QFile::link(source, link));
        const QString hard = dir.filePath(QStringLiteral("hard.VOB"));
        QCOMPARE(::link(path.c_str(), hard.toStdString().c_str()), 0);

        QVERIFY(
            refersToSameFile(path, dir.filePath(QStringLiteral("./VTS_01_1.VOB")).toStdString()));
        QVERIFY(refersToSameFile(path, link.toStdString()));
        QVERIFY(refersToSameFile(path, hard.toStdString()));
        QVERIFY(
            !refersToSameFile(path, dir.filePath(QStringLiteral("VTS_01_1.mp4")).toStdString()));
        QVERIFY(!refersToSameFile(dir.filePath(QStringLiteral("a")).toStdString(),
                                  dir.filePath(QStringLiteral("a")).toStdString()));
    }
};

QTEST_GUILESS_MAIN(TestLauncher)
#include "tst_launcher.moc"
