// The launcher core/torvane with the real ffmpeg on DVD-like files.
#include "Fixture.h"
#include "ProcessTree.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

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
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  {"-v", "error", "-show_format", "-show_streams", "-of", "json", path});
    if (!ffprobe.waitForFinished(30000) || ffprobe.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
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
        QVERIFY2(run.output.contains("unfinished target removed"), run.output.constData());
        QVERIFY(!QFileInfo::exists(target));
    }

    void failedConversionKeepsTheUsersUntouchedFile()
    {
        const QString target = m_dir.filePath("users.mp4");
        QVERIFY(writeFile(target, "the user's own film"));
        const Run run = runLauncher(conversion(fixture("title2s.VOB"), failsBeforeOpening, target));
        QVERIFY(run.exitCode != 0);
        QCOMPARE(readFile(target), QByteArray("the user's own film"));
    }

    void failedConversionRemovesAFileItRewrote()
    {
        const QString target = m_dir.filePath("overwritten.dv");
        QVERIFY(writeFile(target, "replaced with the user's consent"));
        const Run run = runLauncher(conversion(fixture("title2s.VOB"), failsAfterOpening, target));
        QVERIFY(run.exitCode != 0);
        QVERIFY(!QFileInfo::exists(target));
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
        const QJsonObject info = probe(target);
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
        const double seconds = duration(probe(target));
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
        QVERIFY(QFileInfo::exists(target));
        QCOMPARE(::kill(ffmpeg, SIGKILL), 0);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 128 + SIGKILL);
        QVERIFY(!QFileInfo::exists(target));
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
