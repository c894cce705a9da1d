// The job list, target naming, job scripts and the worker loop, run against
// a converter stand-in.
#include "ConvertEng.h"
#include "EngineTestSupport.h"
#include "FilePath.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace enginetest;

namespace
{

class CountingEngine : public ConvertEng
{
public:
    std::atomic<int> finishedCalls{0};
    void onFinished() override { ++finishedCalls; }
};

struct CallbackProbe {
    qint32 answer = 0;
    int calls = 0;
    ConvertJob seen;
    ConvertEng *engine = nullptr;
};

qint32 askOverwrite(qint32 event, void *data)
{
    auto *probe = static_cast<CallbackProbe *>(data);
    ++probe->calls;
    if (event == EventTargetExists)
        probe->engine->getCurrentJob(probe->seen);
    return probe->answer;
}

// The argument lists the stand-in received, one list per run.
QList<QStringList> recordedRuns(const QString &log)
{
    QList<QStringList> runs;
    for (const QByteArray &line : readAll(log).split('\n')) {
        if (line.isEmpty())
            continue;
        QStringList args;
        for (const QByteArray &arg : line.split('\0'))
            args << QString::fromUtf8(arg);
        args.removeLast(); // after the final NUL
        runs << args;
    }
    return runs;
}

} // namespace

class TestJobs : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_log;

private:
    void useStandIn(ConvertEng &engine, const char *mode)
    {
        engine.m_converterPath = binFile(QStringLiteral("standin_converter"));
        qputenv("VELKO_STANDIN_MODE", mode);
    }

    QString makeSource(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        writeAll(path, "not really video");
        return path;
    }

private slots:
    void init()
    {
        m_log = m_dir.filePath(QStringLiteral("standin.log"));
        QFile::remove(m_log);
        qputenv("VELKO_STANDIN_LOG", m_log.toUtf8());
    }

    void jobList()
    {
        ConvertEng engine;
        QVERIFY(engine.addJob(QStringLiteral("/dvd/VTS_01_1.VOB")));
        QVERIFY(engine.addJob(QStringLiteral("/dvd/vts_01_1.VOB"))); // case differs: a new job
        QVERIFY(!engine.addJob(QStringLiteral("/dvd/VTS_01_1.VOB")));
        QCOMPARE(engine.m_jobs.size(), 2);
        QCOMPARE(engine.m_jobs[1]->index, 1);
        QCOMPARE(engine.m_jobs[1]->source, QStringLiteral("/dvd/vts_01_1.VOB"));
        QVERIFY(engine.m_jobs[1]->target.isEmpty());
        QVERIFY(engine.isListed(QStringLiteral("/dvd/VTS_01_1.VOB")));
        QVERIFY(!engine.isListed(QStringLiteral("/dvd/VTS_01_2.VOB")));

        ConvertJob out;
        out.index = 77;
        QVERIFY(!engine.getCurrentJob(out));
        QCOMPARE(out.index, 77);

        engine.setJobPercent(-5, 0);
        QCOMPARE(engine.m_jobs[0]->percent, 0);
        engine.setJobPercent(250, 0);
        QCOMPARE(engine.m_jobs[0]->percent, 100);
        engine.setJobPercent(40, -1);
        engine.setJobPercent(40, 2);
        QCOMPARE(engine.m_jobs[0]->percent, 100);
        QCOMPARE(engine.m_jobs[1]->percent, 0);

        engine.m_mediaInfos.append(MediaInfo{});
        QVERIFY(engine.clear());
        QVERIFY(engine.m_jobs.isEmpty());
        QVERIFY(engine.m_mediaInfos.isEmpty());
        QVERIFY(!engine.isListed(QStringLiteral("/dvd/VTS_01_1.VOB")));
        QVERIFY(engine.addJob(QStringLiteral("/dvd/VTS_02_1.VOB")));
        QCOMPARE(engine.m_jobs[0]->index, 0);
        QVERIFY(!engine.getCurrentJob(out));
    }

    void targetNames_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("target");
        QTest::newRow("usual") << "/media/dvd/VIDEO_TS/VTS_01_1.VOB"
                               << "/home/u/Out"
                               << "mp4"
                               << "/home/u/Out/VTS_01_1.mp4";
        QTest::newRow("no dot") << "/dvd/TITLE"
                                << "/out"
                                << "avi"
                                << "/out/TITLE.avi";
        QTest::newRow("dot only in folder") << "/dvd/TITLE"
                                            << "/my.out"
                                            << "avi"
                                            << "/my.out/TITLE.avi";
        QTest::newRow("two dots") << "/dvd/a.b.VOB"
                                  << "/out"
                                  << "mkv"
                                  << "/out/a.b.mkv";
        QTest::newRow("no extension keeps name") << "/dvd/VTS_01_1.VOB"
                                                 << "/out"
                                                 << ""
                                                 << "/out/VTS_01_1.VOB";
        QTest::newRow("empty folder") << "/dvd/VTS_01_1.VOB"
                                      << ""
                                      << "mp4"
                                      << "/VTS_01_1.mp4";
        QTest::newRow("bare name") << "VTS_01_1.VOB"
                                   << "/out"
                                   << "dv"
                                   << "/out/VTS_01_1.dv";
    }
    void targetNames()
    {
        QFETCH(QString, source);
        QFETCH(QString, folder);
        QFETCH(QString, extension);
        QFETCH(QString, target);
        ConvertEng engine;
        engine.m_extension = extension;
        QCOMPARE(engine.makeTargetPath(source, folder), target);
    }

    void converterBesideProgram()
    {
        QCOMPARE(ConvertEng::makeConverterPath(), testsupport::launcherPath());
        QCOMPARE(ConvertEng().m_converterPath, ConvertEng::makeConverterPath());
    }

    void scriptText()
    {
        ConvertEng engine;
        engine.m_converterPath = QStringLiteral("/opt/velko/core/torvane");
        const QString script =
            engine.writeScript(QStringLiteral("-f avi -b:v 1500k"), QStringLiteral("/out/it's.avi"),
                               QStringLiteral("/dvd/VTS_01_1.VOB"));
        const QString folder =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
            QStringLiteral("/Media Converter/");
        QVERIFY2(script.startsWith(folder), qPrintable(script));
        QVERIFY(QRegularExpression(QStringLiteral("^mconv-?\\d+_[0-9a-f]+\\.sh$"))
                    .match(script.mid(folder.size()))
                    .hasMatch());
        const QByteArray expected = "set -f\n\nrm -f -- '" + script.toUtf8() +
                                    "'\nexec '/opt/velko/core/torvane' -y -i '/dvd/VTS_01_1.VOB' "
                                    "-f avi -b:v 1500k '/out/it'\\''s.avi'";
        QCOMPARE(readAll(script), expected);
        QVERIFY(QFile::remove(script));

        const QString probe = engine.writeScript(QString(), QString(), QStringLiteral("/dvd/a b"));
        QCOMPARE(readAll(probe), "set -f\n\nexec '/opt/velko/core/torvane' -i '/dvd/a b'\n");
        QFile::remove(probe);
    }

    void emptyListFinishesAtOnce()
    {
        CountingEngine engine;
        useStandIn(engine, "record");
        engine.m_mode = ModeConvert;
        QVERIFY(engine.start());
        QVERIFY(waitForEnd(engine, 5000));
        QCOMPARE(engine.m_state.load(), int(StateFinished));
        QCOMPARE(engine.finishedCalls.load(), 1);
        QCOMPARE(engine.m_current.load(), -1);
        QVERIFY(!QFile::exists(m_log));
    }

    void hostileNamesReachConverterWhole()
    {
        const QStringList names = {
            QStringLiteral("VTS_$(touch pwned)_1.VOB"),
            QStringLiteral("it's \"quoted\" `touch pwned2` back\\slash  two blanks_1.VOB"),
            QStringLiteral("Ünïcødé ☃ *?[x]_1.VOB"),
        };
        // A script left by an earlier, interrupted run of the test would
        // make the last check fail for the wrong reason.
        QDir scripts(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                     QStringLiteral("/Media Converter"));
        for (const QString &stale : scripts.entryList(QDir::Files))
            scripts.remove(stale);
        QTemporaryDir out;
        ConvertEng engine;
        useStandIn(engine, "record");
        for (const QString &name : names)
            engine.addJob(makeSource(name));
        engine.m_outputFolder = out.path();
        engine.m_extension = QStringLiteral("avi");
        engine.m_arguments = QStringLiteral("-f avi -vf scale=*:*");
        engine.m_mode = ModeConvert;
        engine.start();
        QVERIFY(waitForEnd(engine, 20000));

        const QList<QStringList> runs = recordedRuns(m_log);
        QCOMPARE(runs.size(), 2 * names.size()); // a probe and a conversion each
        for (int i = 0; i < names.size(); ++i) {
            const QString source = m_dir.filePath(names[i]);
            const QString target = engine.m_jobs[i]->target;
            QCOMPARE(runs[2 * i], QStringList({QStringLiteral("-i"), source}));
            QCOMPARE(runs[2 * i + 1],
                     QStringList({"-y", "-i", source, "-f", "avi", "-vf", "scale=*:*", target}));
            QVERIFY(QFileInfo::exists(target));
            QCOMPARE(engine.m_jobs[i]->percent, 100);
            QCOMPARE(engine.m_jobs[i]->duration, 100); // from the stand-in's probe text
        }
        QVERIFY(!QFileInfo::exists(QStringLiteral("pwned")));
        QVERIFY(!QFileInfo::exists(QStringLiteral("pwned2")));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("pwned"))));
        // The job scripts, the probes' and the conversions', are gone.
        scripts.refresh();
        QVERIFY(scripts.entryList(QDir::Files).isEmpty());
    }

    // What the owner puts in m_environment (the picture settings) is in the
    // converter's environment: here the stand-in's mode itself.
    void ownerEnvironmentReachesConverter()
    {
        QTemporaryDir out;
        ConvertEng engine;
        useStandIn(engine, "");
        qunsetenv("VELKO_STANDIN_MODE");
        engine.m_environment = {QStringLiteral("VELKO_STANDIN_MODE=record")};
        engine.addJob(makeSource(QStringLiteral("environment_1.VOB")));
        engine.m_outputFolder = out.path();
        engine.m_extension = QStringLiteral("avi");
        engine.m_mode = ModeConvert;
        engine.start();
        QVERIFY(waitForEnd(engine, 20000));
        QCOMPARE(recordedRuns(m_log).size(), 2);
    }

    // A source whose name is Latin-1, not UTF-8, reaches the converter by
    // its exact bytes through the UTF-8 script, and so does its target.
    void namesThatAreNotUtf8ReachConverter()
    {
        QTemporaryDir out;
        const QByteArray name = "caf\xe9 'x'_1.VOB";
        const QByteArray sourceBytes = QFile::encodeName(m_dir.path()) + '/' + name;
        const int fd = ::open(sourceBytes.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);

        ConvertEng engine;
        useStandIn(engine, "record");
        QVERIFY(engine.addJob(filepath::fromNative(sourceBytes)));
        engine.m_outputFolder = out.path();
        engine.m_extension = QStringLiteral("avi");
        engine.m_arguments = QStringLiteral("-f avi");
        engine.m_mode = ModeConvert;
        engine.start();
        QVERIFY(waitForEnd(engine, 20000));

        const QByteArray targetBytes = QFile::encodeName(out.path()) + "/caf\xe9 'x'_1.avi";
        const QList<QByteArray> lines = readAll(m_log).split('\n');
        QVERIFY(lines.size() >= 2);
        const auto record = [](const QList<QByteArray> &args) {
            QByteArray line;
            for (const QByteArray &arg : args)
                line += arg + '\0';
            return line;
        };
        QCOMPARE(lines[0], record({"-i", sourceBytes}));
        QCOMPARE(lines[1], record({"-y", "-i", sourceBytes, "-f", "avi", targetBytes}));
        QCOMPARE(filepath::toNative(engine.m_jobs[0]->target), targetBytes);
        struct stat info = {};
        QCOMPARE(::stat(targetBytes.constData(), &info), 0);
        QCOMPARE(engine.m_jobs[0]->percent, 100);
        QCOMPARE(engine.m_jobs[0]->duration, 100);
    }

    void existingTargetAndCallback_data()
    {
        QTest::addColumn<bool>("withCallback");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("no callback") << false << 0 << false;
        QTest::newRow("answer 1 replaces") << true << 1 << true;
        QTest::newRow("answer 0 keeps") << true << 0 << false;
        QTest::newRow("answer 2 keeps") << true << 2 << false;
    }
    void existingTargetAndCallback()
    {
        QFETCH(bool, withCallback);
        QFETCH(int, answer);
        QFETCH(bool, replaced);
        QTemporaryDir out;
        const QString target = out.filePath(QStringLiteral("VTS_01_1.mp4"));
        QVERIFY(writeAll(target, "precious"));

        ConvertEng engine;
        useStandIn(engine, "record");
        engine.addJob(makeSource(QStringLiteral("VTS_01_1.VOB")));
        engine.m_outputFolder = out.path();
        engine.m_extension = QStringLiteral("mp4");
        engine.m_mode = ModeConvert;
        CallbackProbe probe;
        probe.answer = answer;
        probe.engine = &engine;
        if (withCallback) {
            engine.m_callback = askOverwrite;
            engine.m_callbackData = &probe;
        }
        engine.start();
        QVERIFY(waitForEnd(engine, 10000));

        QCOMPARE(readAll(target), replaced ? QByteArray("converted") : QByteArray("precious"));
        QCOMPARE(engine.m_jobs[0]->percent, 100);
        QCOMPARE(probe.calls, withCallback ? 1 : 0);
        if (withCallback)
            QCOMPARE(probe.seen.target, target); // the callback can name the file
        QCOMPARE(recordedRuns(m_log).size(), replaced ? 2 : 0);
    }

    void stopBeforeTheConversionStarts()
    {
        // The stop arrives while the worker asks about the existing target,
        // before it starts the converter: the old file stays as it was.
        QTemporaryDir out;
        const QString target = out.filePath(QStringLiteral("VTS_02_1.mp4"));
        QVERIFY(writeAll(target, "precious"));
        ConvertEng engine;
        useStandIn(engine, "record");
        engine.addJob(makeSource(QStringLiteral("VTS_02_1.VOB")));
        engine.addJob(makeSource(QStringLiteral("VTS_02_2.VOB")));
        engine.m_outputFolder = out.path();
        engine.m_extension = QStringLiteral("mp4");
        engine.m_mode = ModeConvert;
        engine.m_callback = [](qint32, void *data) -> qint32 {
            static_cast<ConvertEng *>(data)->requestStop();
            return 1;
        };
        engine.m_callbackData = &engine;
        engine.start();
        QVERIFY(waitForEnd(engine, 10000));
        QCOMPARE(engine.m_state.load(), int(StateStopped));
        QCOMPARE(readAll(target), QByteArray("precious"));
        for (const QStringList &run : recordedRuns(m_log))
            QVERIFY2(!run.contains(QStringLiteral("-y")), "a conversion was started");
        QVERIFY(engine.m_jobs[1]->target.isEmpty());
    }

    void targetEqualToSourceIsNeverConverted()
    {
        ConvertEng engine;
        useStandIn(engine, "record");
        const QString source = makeSource(QStringLiteral("VTS_03_1.VOB"));
        engine.addJob(source);
        engine.m_outputFolder = m_dir.path();
        engine.m_extension.clear();
        engine.m_mode = ModeConvert;
        engine.start();
        QVERIFY(waitForEnd(engine, 5000));
        QCOMPARE(engine.m_jobs[0]->target, source);
        QCOMPARE(engine.m_jobs[0]->percent, 100);
        QVERIFY(!QFile::exists(m_log));
        QCOMPARE(readAll(source), QByteArray("not really video"));
    }

    void missingConverter()
    {
        QTemporaryDir out;
        ConvertEng engine;
        engine.m_converterPath = m_dir.filePath(QStringLiteral("no/such/torvane"));
        engine.addJob(makeSource(QStringLiteral("VTS_04_1.VOB")));
        engine.m_outputFolder = out.path();
        engine.m_extension = QStringLiteral("mp4");
        engine.m_mode = ModeConvert;
        engine.start();
        QVERIFY(waitForEnd(engine, 10000));
        QCOMPARE(engine.m_state.load(), int(StateFinished));
        QCOMPARE(engine.m_jobs[0]->percent, 0);
        QCOMPARE(engine.m_jobs[0]->duration, 0);
        QVERIFY(QDir(out.path()).isEmpty());

        engine.clear();
        engine.addJob(m_dir.filePath(QStringLiteral("VTS_04_1.VOB")));
        engine.m_mode = ModeProbe;
        engine.m_outputFolder.clear();
        engine.start();
        QVERIFY(waitForEnd(engine, 10000));
        QCOMPARE(engine.m_mediaInfos.size(), 1);
        QVERIFY(engine.m_mediaInfos[0].durationText.isEmpty());
        QVERIFY(engine.m_mediaInfos[0].formatText.isEmpty());
    }

    void probeOutputNotUtf8()
    {
        ConvertEng engine;
        useStandIn(engine, "badutf8");
        engine.addJob(makeSource(QStringLiteral("VTS_05_1.VOB")));
        engine.addJob(makeSource(QStringLiteral("VTS_05_2.VOB")));
        engine.m_mode = ModeProbe;
        engine.start();
        QVERIFY(waitForEnd(engine, 10000));
        QCOMPARE(engine.m_state.load(), int(StateFinished));
        QCOMPARE(engine.m_mediaInfos.size(), 2);
        QCOMPARE(engine.m_mediaInfos[1].durationText, QStringLiteral(" 00:00:09"));
        QVERIFY(engine.m_mediaInfos[1].formatText.contains(QChar::ReplacementCharacter));
    }

    void chattyConverterNeverBlocks()
    {
        // 20 MB of warnings, far beyond any pipe buffer, before the last
        // progress line: the run ends promptly and the line is still read.
        QTemporaryDir out;
        ConvertEng engine;
        useStandIn(engine, "chatty");
        qputenv("VELKO_STANDIN_BYTES", "20000000");
        engine.addJob(makeSource(QStringLiteral("VTS_06_1.VOB")));
        engine.m_outputFolder = out.path();
        engine.m_extension = QStringLiteral("mp4");
        engine.m_mode = ModeConvert;
        engine.start();
        QVERIFY(waitForEnd(engine, 30000));
        QCOMPARE(engine.m_jobs[0]->percent, 100);
        QVERIFY(QFileInfo::exists(engine.m_jobs[0]->target));
    }
};

QTEST_GUILESS_MAIN(TestJobs)
#include "tst_jobs.moc"
