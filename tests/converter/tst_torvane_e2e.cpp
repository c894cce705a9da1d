// The launcher core/torvane with the real ffmpeg on DVD-like files.
#include "Fixture.h"
#include "MediaProbe.h"
#include "ProcessTree.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <unistd.h>

namespace
{

// A preset whose options plain ffmpeg refuses (mv0) and leaves a 0-byte file.
const QStringList dvdOptions =
    QStringLiteral("-f dvd -vcodec mpeg2video -r 25.00 -vf scale=352:576 -aspect "
                   "4:3 -b:v 4000k -mbd rd -trellis 1 -flags +mv0 -cmp 2 -subcmp "
                   "2 -acodec mp2 -b:a 192k -ar 48000 -ac 2")
        .split(u' ');
// An encoder that cannot open at this size: ffmpeg fails after it has
// created the output file.
const QStringList failsAfterOpening = {"-vcodec", "dvvideo", "-vf", "scale=100:100", "-f", "dv"};
// Fails before any output file is opened.
const QStringList failsBeforeOpening = {"-vcodec", "no_such_encoder"};
// Converts at the pace of playback, so that a run can be stopped midway.
const QStringList realtimeOptions = {"-f",  "avi",      "-vcodec", "mpeg4",
                                     "-vf", "realtime", "-acodec", "libmp3lame"};

using testsupport::fixture;

QString launcher()
{
    return testsupport::launcherPath();
}

QStringList conversion(const QString &source, const QStringList &options, const QString &target)
{
    return QStringList{"-y", "-i", source} + options + QStringList{target};
}

struct Run {
    int exitCode = -1;
    QByteArray output;
};

Run runLauncher(const QStringList &arguments,
                const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(environment);
    process.start(launcher(), arguments);
    process.closeWriteChannel();
    Run run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.output = process.readAll();
    return run;
}

// The last position ffmpeg reported, in seconds; -1 before the first.
double reportedTime(const QByteArray &output)
{
    static const QRegularExpression clock(QStringLiteral("time=(\\d+):(\\d+):(\\d+\\.\\d+)"));
    double seconds = -1;
    for (const QRegularExpressionMatch &m : clock.globalMatch(QString::fromLatin1(output)))
        seconds =
            m.captured(1).toInt() * 3600 + m.captured(2).toInt() * 60 + m.captured(3).toDouble();
    return seconds;
}

// Waits until ffmpeg reports that it has converted a second, collecting its
// output.
bool waitForProgress(QProcess &process, QByteArray &output)
{
    const QDeadlineTimer deadline(30000);
    while (reportedTime(output) < 1.0 && !deadline.hasExpired()) {
        process.waitForReadyRead(200);
        output += process.readAll();
        if (process.state() == QProcess::NotRunning)
            return false;
    }
    return reportedTime(output) >= 1.0;
}

// ffprobe's view of a file; empty when it cannot read it.
QJsonObject probe(const QString &path)
{
    return testsupport::ffprobe(path, {"-show_format", "-show_streams"});
}

double duration(const QJsonObject &info)
{
    return info.value("format").toObject().value("duration").toString().toDouble();
}

QString videoCodec(const QJsonObject &info)
{
    for (const QJsonValue &stream : info.value("streams").toArray())
        if (stream.toObject().value("codec_type").toString() == QStringLiteral("video"))
            return stream.toObject().value("codec_name").toString();
    return {};
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The hidden files in a folder: what a conversion left of its temporary file.
QStringList hiddenFiles(const QString &folder)
{
    return QDir(folder).entryList({".*"}, QDir::Files | QDir::Hidden);
}

} // namespace

class TestTorvane : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(launcher()).isExecutable(), "core/torvane is not built");
        QVERIFY2(QFileInfo::exists(fixture("title2s.VOB")), "fixtures missing");
        QVERIFY(m_dir.isValid());
    }

    void probePrintsWhatTheEngineReads()
    {
        const Run run = runLauncher({"-i", fixture("title2s.VOB")});
        QVERIFY2(run.output.contains("Duration: 00:00:02."), run.output.constData());
        QVERIFY(run.output.contains("Video: mpeg2video"));
        QVERIFY(!run.output.contains("ffmpeg version")); // no banner
        // ffmpeg's own verdict on a run without output is passed on.
        QCOMPARE(run.exitCode, 1);
    }

    void conversionWorks()
    {
        const QString target = m_dir.filePath("works.mpg");
        const Run run = runLauncher(conversion(fixture("title2s.VOB"), dvdOptions, target));
        QVERIFY2(run.exitCode == 0, run.output.right(2000).constData());
        QVERIFY(run.output.contains("time="));
        const QJsonObject info = probe(target);
        QCOMPARE(videoCodec(info), QStringLiteral("mpeg2video"));
        QVERIFY(qAbs(duration(info) - 2.0) < 1.0);
    }

    void failedConversionLeavesNoTarget()
    {
        const QString target = m_dir.filePath("failed.dv");
        const Run run = runLauncher(conversion(fixture("title2s.VOB"), failsAfterOpening, target));
        QVERIFY(run.exitCode != 0);
        // ffmpeg had made the file; the launcher took it away.
        QVERIFY2(run.output.contains("torvane: conversion failed: "), run.output.constData());
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(hiddenFiles(m_dir.path()), QStringList());
    }

    void failedConversionKeepsTheUsersUntouchedFile()
    {
        const QString target = m_dir.filePath("users.mp4");
        QVERIFY(writeFile(target, "the user's own film"));
        const Run run = runLauncher(conversion(fixture("title2s.VOB"), failsBeforeOpening, target));
        QVERIFY(run.exitCode != 0);
        QCOMPARE(readFile(target), QByteArray("the user's own film"));
    }

    // The user agreed to have the file replaced, but no finished file came
    // to replace it: the old one stays, byte for byte.
    void failedReplacementKeepsTheOldFile()
    {
        const QString target = m_dir.filePath("overwritten.dv");
        QVERIFY(writeFile(target, "replaced with the user's consent"));
        const Run run = runLauncher(conversion(fixture("title2s.VOB"), failsAfterOpening, target));
        QVERIFY(run.exitCode != 0);
        QCOMPARE(readFile(target), QByteArray("replaced with the user's consent"));
        QCOMPARE(hiddenFiles(m_dir.path()), QStringList());
    }

    // Titles joined end to end restart their timestamps; DV output needs its
    // audio resampled to get past the jump.
    void dvFromJumpingTimestamps()
    {
        const QString source = m_dir.filePath("joined.VOB");
        QVERIFY(writeFile(source, readFile(fixture("title2s.VOB")) +
                                      readFile(fixture("title12s.VOB")) +
                                      readFile(fixture("title2s.VOB"))));
        const QStringList dv = {"-target", "pal-dv", "-aspect", "4:3", "-f", "dv"};

        const QString target = m_dir.filePath("joined.dv");
        Run run = runLauncher(conversion(source, dv, target));
        QVERIFY2(run.exitCode == 0, run.output.right(2000).constData());
        const QJsonObject info = probe(target);
        QCOMPARE(videoCodec(info), QStringLiteral("dvvideo"));
        QVERIFY(qAbs(duration(info) - 16.0) < 1.0);

        // Without compensation ffmpeg gives up midway; the launcher takes
        // away the truncated file it leaves.
        const QString broken = m_dir.filePath("broken.dv");
        run = runLauncher(conversion(source, dv + QStringList{"-af", "aresample=async=0"}, broken));
        QVERIFY(run.exitCode != 0);
        QVERIFY2(run.output.contains("Can't process DV frame"), run.output.right(2000).constData());
        QVERIFY(!QFileInfo::exists(broken));
    }

    void quitByQKeepsAShorterFile()
    {
        const QString target = m_dir.filePath("quit.avi");
        QVERIFY(writeFile(target, "an earlier file the user chose to replace"));
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(launcher(), conversion(fixture("long.VOB"), realtimeOptions, target));
        QByteArray output;
        QVERIFY2(waitForProgress(process, output), output.constData());
        process.write("q", 1);
        QVERIFY(process.waitForFinished(30000));
        output += process.readAll();
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == 0, output.right(2000).constData());
        // The part is kept beside the earlier file, which stays as it was.
        QVERIFY2(output.endsWith("torvane: kept: quit (partial).avi\n"), output.right(500));
        QCOMPARE(readFile(target), QByteArray("an earlier file the user chose to replace"));
        const QJsonObject info = probe(m_dir.filePath("quit (partial).avi"));
        QCOMPARE(videoCodec(info), QStringLiteral("mpeg4"));
        QVERIFY2(duration(info) > 0.9 && duration(info) < 30.0,
                 qPrintable(QString::number(duration(info))));
    }

    // A launcher killed outright (as the out-of-memory killer does) takes
    // ffmpeg with it: no orphan goes on writing out of the engine's reach.
    void ffmpegDiesWithTheLauncher()
    {
        const QString target = m_dir.filePath(QStringLiteral("killed.avi"));
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(launcher(), conversion(fixture("long.VOB"), realtimeOptions, target));
        QByteArray output;
        QVERIFY2(waitForProgress(process, output), output.constData());
        const QList<pid_t> children = testsupport::descendants(pid_t(process.processId()));
        QVERIFY(!children.isEmpty());
        // Whatever the outcome, nothing of this run stays behind.
        const auto cleanup = qScopeGuard([&] {
            for (const pid_t child : children)
                ::kill(child, SIGKILL);
        });
        QCOMPARE(::kill(pid_t(process.processId()), SIGKILL), 0);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        for (const pid_t child : children)
            QTRY_VERIFY_WITH_TIMEOUT(!testsupport::processAlive(child), 5000);
        // A launcher killed outright cannot tidy up: its hidden file stays,
        // but the target's name is never taken by a half-written file.
        QVERIFY(!QFileInfo::exists(target));
        const QStringList left = hiddenFiles(m_dir.path());
        QCOMPARE(left.size(), 1);
        QVERIFY(QFile::remove(m_dir.filePath(left[0])));
    }

    void stopSignalsReachFfmpeg_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }

    // ffmpeg ends the file properly on these signals and exits with 255; the
    // launcher passes that status on and keeps the file.
    void stopSignalsReachFfmpeg()
    {
        QFETCH(int, signal);
        const QString target = m_dir.filePath(QStringLiteral("signal%1.avi").arg(signal));
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(launcher(), conversion(fixture("long.VOB"), realtimeOptions, target));
        QByteArray output;
        QVERIFY2(waitForProgress(process, output), output.constData());
        QCOMPARE(::kill(pid_t(process.processId()), signal), 0);
        QVERIFY(process.waitForFinished(30000));
        output += process.readAll();
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == 255, output.right(2000).constData());
        QVERIFY(output.contains("received signal"));
        const double seconds =
            duration(probe(m_dir.filePath(QStringLiteral("signal%1 (partial).avi").arg(signal))));
        QVERIFY2(seconds > 0.9 && seconds < 30.0, qPrintable(QString::number(seconds)));
    }

    void killedConverterLeavesNoTarget()
    {
        const QString target = m_dir.filePath("killed.avi");
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(launcher(), conversion(fixture("long.VOB"), realtimeOptions, target));
        QByteArray output;
        QVERIFY2(waitForProgress(process, output), output.constData());
        const QByteArray children =
            readFile(QStringLiteral("/proc/%1/task/%1/children").arg(process.processId()));
        const pid_t ffmpeg = children.trimmed().toInt();
        QVERIFY2(ffmpeg > 0, children.constData());
        // ffmpeg writes into a hidden file; the target's name is not taken yet.
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(hiddenFiles(m_dir.path()).size(), 1);
        QCOMPARE(::kill(ffmpeg, SIGKILL), 0);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 128 + SIGKILL);
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(hiddenFiles(m_dir.path()), QStringList());
    }

    // The program that ran the launcher is gone when nobody reads its
    // output any more: the conversion is given up and leaves nothing.
    void programGoneLeavesNothing()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("abandoned.avi");
        QProcess shell;
        shell.setProcessChannelMode(QProcess::MergedChannels);
        QStringList command = {launcher()};
        command += conversion(fixture("long.VOB"), realtimeOptions, target);
        for (QString &word : command)
            word = u'\'' + word + u'\'';
        shell.start("/bin/sh", {"-c", command.join(u' ') + " 2>&1 | head -c 1500 > /dev/null"});
        QVERIFY(shell.waitForFinished(60000));
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(hiddenFiles(dir.path()), QStringList());
    }

    // Everything killed at once, as when the computer loses power: at most
    // the hidden file is left, never a half-written target.
    void killedProgramLeavesNoHalfWrittenTarget()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("crash.avi");
        QVERIFY(writeFile(target, "the user's old film"));
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setChildProcessModifier([] { ::setpgid(0, 0); });
        process.start(launcher(), conversion(fixture("long.VOB"), realtimeOptions, target));
        QByteArray output;
        QVERIFY2(waitForProgress(process, output), output.constData());
        QCOMPARE(::kill(-pid_t(process.processId()), SIGKILL), 0);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(readFile(target), QByteArray("the user's old film"));
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left.size(), 2);
        QCOMPARE(hiddenFiles(dir.path()).size(), 1);
    }

    // A hang-up or quit signal ends the launcher; it takes its hidden file
    // with it.
    void fatalSignalRemovesTheHiddenFile()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("hangup.avi");
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(launcher(), conversion(fixture("long.VOB"), realtimeOptions, target));
        QByteArray output;
        QVERIFY2(waitForProgress(process, output), output.constData());
        QCOMPARE(hiddenFiles(dir.path()).size(), 1);
        QCOMPARE(::kill(pid_t(process.processId()), SIGHUP), 0);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(hiddenFiles(dir.path()), QStringList());
    }

    // ffmpeg 5.1 reports a disk that fills up while it writes the file's
    // end and still exits with 0. A stand-in ffmpeg that does just that
    // shows what the launcher makes of it.
    void fullDiskAtTheEndIsAFailure()
    {
        QTemporaryDir bin;
        const QString fake = bin.filePath("ffmpeg");
        QVERIFY(writeFile(fake, "#!/bin/sh\n"
                                "for last; do :; done\n"
                                "printf 'most of a film' > \"$last\"\n"
                                "printf 'frame=   50 fps=25 q=2.0 size=  100kB "
                                "time=00:00:02.00 bitrate=1.0kbits/s speed=1x\\r' >&2\n"
                                "printf '[mp4 @ 0x55] Error writing trailer of %s: No space "
                                "left on device\\n' \"$last\" >&2\n"
                                "exit 0\n"));
        QVERIFY(QFile::setPermissions(fake, QFile::ReadOwner | QFile::ExeOwner));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", bin.path());

        QTemporaryDir dir;
        const QString fresh = dir.filePath("fresh.mp4");
        Run run =
            runLauncher(conversion(fixture("title2s.VOB"), {"-f", "mp4"}, fresh), environment);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.output.contains("[mp4 @ 0x55] Error writing trailer of "), run.output);
        QVERIFY2(run.output.endsWith("torvane: conversion failed: [mp4 @ 0x55] Error writing "
                                     "trailer of " +
                                     fresh.toUtf8() +
                                     ": No space left on device\ntorvane: failure: disk-full\n"),
                 run.output);
        QVERIFY(!QFileInfo::exists(fresh));
        QCOMPARE(hiddenFiles(dir.path()), QStringList());

        const QString old = dir.filePath("old.mp4");
        QVERIFY(writeFile(old, "the user's old film"));
        run = runLauncher(conversion(fixture("title2s.VOB"), {"-f", "mp4"}, old), environment);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(readFile(old), QByteArray("the user's old film"));
        QCOMPARE(hiddenFiles(dir.path()), QStringList());
    }

    // The same on a real small file system, where the test may mount one.
    void fullDiskWithTheRealConverter()
    {
        QTemporaryDir reference;
        const QString sample = reference.filePath("sample.mp4");
        const QStringList mp4 = {"-f", "mp4", "-vcodec", "mpeg4", "-acodec", "aac"};
        QCOMPARE(runLauncher(conversion(fixture("title2s.VOB"), mp4, sample)).exitCode, 0);
        const qint64 size = QFileInfo(sample).size();
        QVERIFY(size > 8192);

        QTemporaryDir mountPoint;
        const QString small = mountPoint.path();
        const qint64 pages = (size + 4095) / 4096 + 4;
        QProcess mount;
        mount.start("mount", {"-t", "tmpfs", "-o", QStringLiteral("size=%1k").arg(pages * 4),
                              "tmpfs", small});
        if (!mount.waitForFinished(10000) || mount.exitStatus() != QProcess::NormalExit ||
            mount.exitCode() != 0)
            QSKIP("no tmpfs can be mounted here; fullDiskAtTheEndIsAFailure covers the case");
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {small}); });

        // Fill the file system so that all but the last few KiB of the film fit.
        const qint64 keepFree = (size - 1) / 4096 * 4096 - 4096;
        QStorageInfo storage(small);
        QFile filler(small + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        QVERIFY(filler.write(QByteArray(storage.bytesAvailable() - keepFree, 'x')) > 0);
        filler.close();
        storage.refresh();

        const QString target = small + "/film.mp4";
        const Run run = runLauncher(conversion(fixture("title2s.VOB"), mp4, target));
        QVERIFY2(run.exitCode != 0, run.output.right(2000).constData());
        QVERIFY2(run.output.contains("No space left on device"),
                 run.output.right(2000).constData());
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(hiddenFiles(small), QStringList());
    }

    void missingFfmpeg()
    {
        QTemporaryDir emptyPath;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", emptyPath.path());
        const QString target = m_dir.filePath("never.avi");

        Run run =
            runLauncher(conversion(fixture("title2s.VOB"), {"-f", "avi"}, target), environment);
        QCOMPARE(run.exitCode, 127);
        QVERIFY2(run.output.startsWith("torvane: cannot start ffmpeg: not installed"),
                 run.output.constData());
        QVERIFY(run.output.contains("sudo apt install ffmpeg"));
        QVERIFY(!QFileInfo::exists(target));

        run = runLauncher({"-i", fixture("title2s.VOB")}, environment);
        QCOMPARE(run.exitCode, 127);
        QVERIFY(run.output.contains("cannot start ffmpeg"));
    }

    void targetThatIsTheSourceIsRefused()
    {
        const QString source = m_dir.filePath("title.VOB");
        QVERIFY(QFile::copy(fixture("title2s.VOB"), source));
        const QByteArray original = readFile(source);
        const QString link = m_dir.filePath("title-link.VOB");
        QVERIFY(QFile::link(source, link));

        for (const QString &target : {m_dir.path() + "/./title.VOB", link}) {
            const Run run = runLauncher(conversion(source, {"-vcodec", "mpeg2video"}, target));
            QCOMPARE(run.exitCode, 1);
            QVERIFY(readFile(source) == original);
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestTorvane)
#include "tst_torvane_e2e.moc"
