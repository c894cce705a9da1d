// The engine with the real converter on real DVD-like files, and with
// stand-ins for converters that misbehave.
#include "ConvertEng.h"
#include "EngineTestSupport.h"
#include "MediaProbe.h"
#include "ProcessTree.h"

#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace enginetest;

namespace
{

// A real preset argument string (AVI, XviD full screen).
const QString aviArguments = QStringLiteral(
    "-f avi -r 29.97 -vcodec libxvid -vtag XVID -vf scale=640:480 -aspect 4:3 -maxrate 1800k "
    "-b:v 1500k -qmin 3 -qmax 5 -bufsize 4096 -mbd 2 -bf 2 -trellis 1 -flags +aic -cmp 2 "
    "-subcmp 2 -g 300 -acodec libmp3lame -ar 48000 -b:a 128k -ac 2");

using testsupport::probedDuration;

// Readies an engine to convert the given fixtures into folder as XviD AVI.
void prepareAviConversion(ConvertEng &engine, const QStringList &fixtures, const QString &folder)
{
    for (const QString &name : fixtures)
        engine.addJob(fixture(name));
    engine.m_outputFolder = folder;
    engine.m_arguments = aviArguments;
    engine.m_extension = QStringLiteral("avi");
    engine.m_mode = ModeConvert;
}

bool processAlive(const QString &pidFile)
{
    const pid_t pid = readAll(pidFile).toInt();
    return pid > 0 && ::kill(pid, 0) == 0;
}

} // namespace

class TestEngineEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(ConvertEng::makeConverterPath()).isExecutable(),
                 "the converter launcher is not built");
        QVERIFY2(QFileInfo::exists(fixture(QStringLiteral("title2s.VOB"))), "fixtures missing");
    }

    void probeTheDvdFolder()
    {
        ConvertEng engine;
        engine.clear();
        engine.scanFolder(QStringLiteral(".VOB"), fixture(QStringLiteral("dvd")));
        const QString ts = fixture(QStringLiteral("dvd/VIDEO_TS"));
        QCOMPARE(engine.m_jobs.size(), 2);
        QVERIFY(engine.isListed(ts + "/VTS_01_1.VOB"));
        QVERIFY(engine.isListed(ts + "/VTS_02_1.VOB"));

        engine.m_outputFolder.clear();
        engine.m_mode = ModeProbe;
        engine.start();
        QVERIFY(waitForEnd(engine, 60000));
        QCOMPARE(engine.m_state.load(), int(StateFinished));
        QCOMPARE(engine.m_mediaInfos.size(), 2);
        // Timestamps restart with every title of a title set, so the
        // converter's guess at the first file's length varies; its shape not.
        const QRegularExpression clock(QStringLiteral("^ 00:00:0[1-9]$"));
        for (const MediaInfo &info : engine.m_mediaInfos) {
            QVERIFY2(clock.match(info.durationText).hasMatch(), qPrintable(info.durationText));
            QCOMPARE(info.formatText, QStringLiteral(" MPEG2"));
        }
        QCOMPARE(
            engine
                .m_mediaInfos[engine.m_jobs[0]->source.endsWith(QLatin1String("VTS_02_1.VOB")) ? 0
                                                                                               : 1]
                .durationText,
            QStringLiteral(" 00:00:02"));
    }

    void convertShowsRisingProgress()
    {
        QTemporaryDir out;
        ConvertEng engine;
        prepareAviConversion(engine, {QStringLiteral("title12s.VOB")}, out.path());
        QList<int> seen;
        engine.start();
        QVERIFY(waitForEnd(engine, 120000, [&] {
            ConvertJob job;
            if (engine.getCurrentJob(job) && (seen.isEmpty() || seen.last() != job.percent))
                seen << job.percent;
        }));
        const ConvertJob *job = engine.m_jobs[0];
        QCOMPARE(job->duration, 12);
        QCOMPARE(job->percent, 100);
        QCOMPARE(job->target, out.filePath(QStringLiteral("title12s.avi")));
        QVERIFY(qAbs(probedDuration(job->target) - 12.0) < 1.0);
        int between = 0;
        for (int i = 0; i < seen.size(); ++i) {
            if (i > 0)
                QVERIFY2(seen[i] >= seen[i - 1], "the percentage went down");
            if (seen[i] > 0 && seen[i] < 100)
                ++between;
        }
        QVERIFY2(between >= 2, qPrintable(QStringLiteral("too few steps: %1").arg(seen.size())));
    }

    void stopEndsTheRunSoon()
    {
        QTemporaryDir out;
        ConvertEng engine;
        prepareAviConversion(engine, {QStringLiteral("long.VOB"), QStringLiteral("title2s.VOB")},
                             out.path());
        engine.start();
        QVERIFY(waitForEnd(engine, 60000, [&] {
            ConvertJob job;
            if (engine.getCurrentJob(job) && job.percent >= 5)
                engine.requestStop();
        }));
        QCOMPARE(engine.m_state.load(), int(StateStopped));
        QCOMPARE(engine.m_current.load(), -1);
        // The part converted is kept under a name that says so, and the
        // engine knows it.
        const ConvertJob *stopped = engine.m_jobs[0];
        QVERIFY(!QFileInfo::exists(stopped->target));
        QCOMPARE(stopped->outcome.keptPath(stopped->target),
                 out.filePath(QStringLiteral("long (partial).avi")));
        const double length = probedDuration(stopped->outcome.keptPath(stopped->target));
        QVERIFY2(length > 0.5 && length < 39.0, qPrintable(QString::number(length)));
        QVERIFY(qAbs(stopped->outcome.stoppedAtMs / 1000.0 - length) < 1.0);
        QVERIFY(engine.m_jobs[1]->target.isEmpty());
        QVERIFY(!QFileInfo::exists(out.filePath(QStringLiteral("title2s.avi"))));
    }

    void stopIsQuick()
    {
        QTemporaryDir out;
        ConvertEng engine;
        prepareAviConversion(engine, {QStringLiteral("long.VOB")}, out.path());
        engine.start();
        QElapsedTimer stopped;
        QVERIFY(waitForEnd(engine, 60000, [&] {
            ConvertJob job;
            if (!stopped.isValid() && engine.getCurrentJob(job) && job.percent > 0) {
                engine.requestStop();
                stopped.start();
            }
        }));
        QVERIFY(stopped.isValid());
        qInfo("stopped after %lld ms", stopped.elapsed());
        QVERIFY2(stopped.elapsed() < 1000, qPrintable(QString::number(stopped.elapsed())));
    }

    void hostileNamesWithTheRealConverter()
    {
        QTemporaryDir dir;
        const QStringList names = {
            QStringLiteral("VTS_$(touch pwned)_1.VOB"),
            QStringLiteral("it's \"q\" `touch pwned` back\\slash  ünï ☃_1.VOB"),
        };
        ConvertEng engine;
        for (const QString &name : names) {
            QVERIFY(QFile::copy(fixture(QStringLiteral("title2s.VOB")), dir.filePath(name)));
            engine.addJob(dir.filePath(name));
        }
        engine.m_mode = ModeProbe;
        engine.start();
        QVERIFY(waitForEnd(engine, 60000));
        QCOMPARE(engine.m_mediaInfos.size(), 2);
        for (const MediaInfo &info : engine.m_mediaInfos)
            QCOMPARE(info.formatText, QStringLiteral(" MPEG2"));

        engine.m_outputFolder = dir.filePath(QStringLiteral("out $HOME 'x'"));
        QVERIFY(QDir().mkpath(engine.m_outputFolder));
        engine.m_arguments = aviArguments;
        engine.m_extension = QStringLiteral("avi");
        engine.m_mode = ModeConvert;
        engine.start();
        QVERIFY(waitForEnd(engine, 120000));
        for (const ConvertJob *job : engine.m_jobs) {
            QCOMPARE(job->percent, 100);
            QVERIFY(probedDuration(job->target) > 1.0);
        }
        QVERIFY(!QFileInfo::exists(QStringLiteral("pwned")));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("pwned"))));
    }

    void existingTargetWithEachAnswer_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("yes") << 1 << true;
        QTest::newRow("no") << 0 << false;
        QTest::newRow("no callback") << -1 << false;
    }
    void existingTargetWithEachAnswer()
    {
        QFETCH(int, answer);
        QFETCH(bool, replaced);
        QTemporaryDir out;
        const QString target = out.filePath(QStringLiteral("title2s.avi"));
        QVERIFY(writeAll(target, "an older rip"));
        ConvertEng engine;
        prepareAviConversion(engine, {QStringLiteral("title2s.VOB")}, out.path());
        static int s_answer;
        s_answer = answer;
        if (answer >= 0)
            engine.m_callback = [](qint32, void *) -> qint32 { return s_answer; };
        engine.start();
        QVERIFY(waitForEnd(engine, 60000));
        QCOMPARE(engine.m_jobs[0]->percent, 100);
        if (replaced)
            QVERIFY(qAbs(probedDuration(target) - 2.0) < 1.0);
        else
            QCOMPARE(readAll(target), QByteArray("an older rip"));
    }

    void converterIgnoringQ_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::newRow("ignores q") << QByteArray("ignore-q");
        QTest::newRow("ignores q and SIGTERM") << QByteArray("ignore-all");
    }
    void converterIgnoringQ()
    {
        QFETCH(QByteArray, mode);
        QTemporaryDir dir;
        const QString pidFile = dir.filePath(QStringLiteral("pid"));
        qputenv("VELKO_STANDIN_MODE", mode);
        qputenv("VELKO_STANDIN_PID", pidFile.toUtf8());
        // A stand-in the stop failed to reach goes when the test ends.
        const auto cleanup = qScopeGuard([&] {
            const pid_t pid = readAll(pidFile).toInt();
            if (processAlive(pidFile))
                ::kill(pid, SIGKILL);
        });
        ConvertEng engine;
        engine.m_converterPath = binFile(QStringLiteral("standin_converter"));
        engine.m_stopTerminateMs = 1000;
        engine.m_stopKillMs = 1000;
        engine.addJob(fixture(QStringLiteral("title2s.VOB")));
        engine.addJob(fixture(QStringLiteral("title12s.VOB")));
        engine.m_outputFolder = dir.path();
        engine.m_extension = QStringLiteral("avi");
        engine.m_mode = ModeConvert;
        engine.start();
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(engine.m_jobs[0]->percent > 0, 10000);
        QVERIFY(processAlive(pidFile));
        engine.requestStop();
        clock.restart();
        QVERIFY(waitForEnd(engine, 10000));
        QCOMPARE(engine.m_state.load(), int(StateStopped));
        QVERIFY(clock.elapsed() < 4000);
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(pidFile), 3000);
        QVERIFY(engine.m_jobs[1]->target.isEmpty());
        qunsetenv("VELKO_STANDIN_PID");
    }

    // The launcher's word that ffmpeg is missing reaches the engine, in a
    // load and in a conversion, and a later run with ffmpeg clears it.
    void converterMissingIsReported()
    {
        QTemporaryDir emptyPath;
        QTemporaryDir out;
        const QByteArray savedPath = qgetenv("PATH");
        auto restore = qScopeGuard([&] { qputenv("PATH", savedPath); });
        qputenv("PATH", QFile::encodeName(emptyPath.path()));
        ConvertEng engine;
        engine.addJob(fixture(QStringLiteral("title2s.VOB")));
        engine.m_mode = ModeProbe;
        engine.start();
        QVERIFY(waitForEnd(engine, 30000));
        QVERIFY(engine.m_converterMissing);
        QVERIFY(engine.m_mediaInfos.value(0).durationText.isEmpty());

        prepareAviConversion(engine, {QStringLiteral("title2s.VOB")}, out.path());
        engine.start();
        QVERIFY(waitForEnd(engine, 30000));
        QVERIFY(engine.m_converterMissing);
        QCOMPARE(engine.m_jobs[0]->percent, 0);

        restore.dismiss();
        qputenv("PATH", savedPath);
        engine.m_mode = ModeProbe;
        engine.start();
        QVERIFY(waitForEnd(engine, 30000));
        QVERIFY(!engine.m_converterMissing);
    }

    // A launcher that dies by a signal (the out-of-memory killer) is a failed
    // job: no target, 0 %, and no converter left running.
    void launcherKilledIsAFailedJob()
    {
        QTemporaryDir out;
        ConvertEng engine;
        prepareAviConversion(engine, {QStringLiteral("long.VOB")}, out.path());
        engine.start();
        QTRY_VERIFY_WITH_TIMEOUT(engine.m_jobs[0]->percent > 0, 60000);
        pid_t launcher = 0;
        const QList<pid_t> running = testsupport::descendants(::getpid());
        for (const pid_t pid : running) {
            QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
            if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains("core/torvane"))
                launcher = pid;
        }
        QVERIFY(launcher > 0);
        QCOMPARE(::kill(launcher, SIGKILL), 0);
        QVERIFY(waitForEnd(engine, 30000));
        QCOMPARE(engine.m_jobs[0]->percent, 0);
        QCOMPARE(engine.m_jobs[0]->status, qint32(StatusFailed));
        QVERIFY(!QFileInfo::exists(engine.m_jobs[0]->target));
        for (const pid_t pid : running)
            QTRY_VERIFY_WITH_TIMEOUT(!testsupport::processAlive(pid), 5000);
    }

    void destroyWhileRunning()
    {
        // Destroying a running engine stops its converter, waits for it and
        // leaves no process of the run behind: the title ends early, as a
        // stop ends it, rather than converted through to its end.
        QTemporaryDir out;
        auto *engine = new ConvertEng;
        prepareAviConversion(*engine, {QStringLiteral("long.VOB")}, out.path());
        engine->start();
        QTRY_VERIFY_WITH_TIMEOUT(engine->m_jobs[0]->percent > 0, 60000);
        const QString target = engine->m_jobs[0]->target;
        const QList<pid_t> running = testsupport::descendants(::getpid());
        QVERIFY(!running.isEmpty());
        QElapsedTimer clock;
        clock.start();
        delete engine;
        QVERIFY(clock.elapsed() < 5000);
        for (const pid_t pid : running)
            QVERIFY2(!testsupport::processAlive(pid), qPrintable(QString::number(pid)));
        QVERIFY(!QFileInfo::exists(target));
        const double converted = probedDuration(out.filePath(QStringLiteral("long (partial).avi")));
        QVERIFY2(converted > 0.5 && converted < 30.0, qPrintable(QString::number(converted)));

        // And one destroyed the moment it reports its end.
        for (int i = 0; i < 20; ++i) {
            ConvertEng quick;
            quick.m_converterPath = QStringLiteral("/nonexistent/torvane");
            quick.addJob(QStringLiteral("/nonexistent/VTS_01_1.VOB"));
            quick.m_outputFolder = out.path();
            quick.m_mode = ModeConvert;
            quick.start();
            while (quick.m_state != StateFinished)
                QThread::yieldCurrentThread();
            QCOMPARE(quick.m_jobs[0]->percent, 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestEngineEndToEnd)
#include "tst_engine_e2e.moc"
