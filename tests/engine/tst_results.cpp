// How each job of a run ends (converted, kept, stopped, failed), what a
// failed one is reported with, the converter's progress reports on the
// current job, and the log of the run.
#include "ConvertEng.h"
#include "EngineTestSupport.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace enginetest;

class TestResults : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString makeSource(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        writeAll(path, "not really video");
        return path;
    }

    void prepare(ConvertEng &engine, const QString &converter, const QStringList &names)
    {
        engine.m_converterPath = converter;
        for (const QString &name : names)
            engine.addJob(makeSource(name));
        engine.m_outputFolder = m_dir.filePath(QStringLiteral("out"));
        QDir().mkpath(engine.m_outputFolder);
        engine.m_extension = QStringLiteral("avi");
        engine.m_arguments = QStringLiteral("-f avi");
        engine.m_mode = ModeConvert;
    }

private slots:
    void init()
    {
        qunsetenv("VELKO_STANDIN_FAIL");
        qunsetenv("VELKO_STANDIN_GATE");
        qunsetenv("VELKO_STANDIN_REPORT");
        qunsetenv("VELKO_STANDIN_DURATION");
        QDir(m_dir.filePath(QStringLiteral("out"))).removeRecursively();
    }

    void oneFailingTitleAmongThree()
    {
        qputenv("VELKO_STANDIN_MODE", "record");
        qputenv("VELKO_STANDIN_FAIL", "VTS_02");
        ConvertEng engine;
        prepare(engine, binFile(QStringLiteral("standin_converter")),
                {"VTS_01_1.VOB", "VTS_02_1.VOB", "VTS_03_1.VOB"});
        QVERIFY(engine.start());
        QVERIFY(waitForEnd(engine, 30000));

        QCOMPARE(engine.m_jobs[0]->status, qint32(StatusDone));
        QCOMPARE(engine.m_jobs[1]->status, qint32(StatusFailed));
        QCOMPARE(engine.m_jobs[2]->status, qint32(StatusDone));
        QCOMPARE(engine.m_jobs[1]->lastError, QStringLiteral("Conversion failed on purpose"));
        QVERIFY(engine.m_jobs[0]->lastError.isEmpty());
        QCOMPARE(engine.m_jobs[0]->percent, 100);
        QCOMPARE(engine.m_jobs[1]->percent, 0);

        // The log holds every title, the failed one with the converter's
        // own lines.
        const QByteArray log = readAll(ConvertEng::conversionLogPath());
        QCOMPARE(log.count("=== converted\n"), 2);
        QVERIFY2(log.contains("Error writing to the output of " +
                              engine.m_jobs[1]->source.toUtf8() +
                              "\nConversion failed on purpose\n"
                              "=== FAILED: Conversion failed on purpose\n"),
                 log.constData());
        QVERIFY(log.indexOf("VTS_01_1") < log.indexOf("VTS_02_1"));
        QVERIFY(log.indexOf("VTS_02_1") < log.indexOf("VTS_03_1"));
    }

    // The script hands the converter's exit status on; without a message
    // the failure names the status.
    void exitStatusDecides_data()
    {
        QTest::addColumn<QString>("converter");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        QTest::newRow("status 1") << "/bin/false" << int(StatusFailed)
                                  << "The converter ended with status 1.";
        QTest::newRow("status 0, no file")
            << "/bin/true" << int(StatusFailed) << "The converter wrote no output file.";
        QTest::newRow("not there")
            << "/nonexistent/torvane" << int(StatusFailed) << "/nonexistent/torvane: not found";
    }
    void exitStatusDecides()
    {
        QFETCH(QString, converter);
        QFETCH(int, status);
        QFETCH(QString, error);
        ConvertEng engine;
        prepare(engine, converter, {"VTS_01_1.VOB"});
        QVERIFY(engine.start());
        QVERIFY(waitForEnd(engine, 30000));
        QCOMPARE(engine.m_jobs[0]->status, status);
        QCOMPARE(engine.m_jobs[0]->lastError.right(error.size()), error);
        QCOMPARE(engine.m_jobs[0]->percent, 0);
    }

    void failedReplacementShowsNoProgress()
    {
        qputenv("VELKO_STANDIN_MODE", "record");
        qputenv("VELKO_STANDIN_FAIL", "VTS_01");
        ConvertEng engine;
        prepare(engine, binFile(QStringLiteral("standin_converter")), {"VTS_01_1.VOB"});
        const QString target = engine.m_outputFolder + QStringLiteral("/VTS_01_1.avi");
        QVERIFY(writeAll(target, "the user's film"));
        engine.m_callback = [](qint32, void *) -> qint32 { return 1; };
        QVERIFY(engine.start());
        QVERIFY(waitForEnd(engine, 30000));
        // The earlier file is still there, but this run made nothing.
        QCOMPARE(engine.m_jobs[0]->status, qint32(StatusFailed));
        QCOMPARE(engine.m_jobs[0]->percent, 0);
    }

    void keptTargetIsSkipped()
    {
        qputenv("VELKO_STANDIN_MODE", "record");
        ConvertEng engine;
        prepare(engine, binFile(QStringLiteral("standin_converter")), {"VTS_01_1.VOB"});
        QVERIFY(writeAll(engine.m_outputFolder + QStringLiteral("/VTS_01_1.avi"), "kept"));
        QVERIFY(engine.start());
        QVERIFY(waitForEnd(engine, 30000));
        QCOMPARE(engine.m_jobs[0]->status, qint32(StatusSkipped));
        QCOMPARE(engine.m_jobs[0]->percent, 100);
        QVERIFY(readAll(ConvertEng::conversionLogPath()).contains("the existing file was kept"));
    }

    void reportsReachTheCurrentJob()
    {
        qputenv("VELKO_STANDIN_MODE", "report");
        qputenv("VELKO_STANDIN_REPORT", "frame=  500 fps= 50 q=2.0 size=  100kB "
                                        "time=00:00:20.00 bitrate=1.0kbits/s speed=2.00x");
        const QString gate = m_dir.filePath(QStringLiteral("gate"));
        QFile::remove(gate);
        qputenv("VELKO_STANDIN_GATE", gate.toUtf8());
        ConvertEng engine;
        prepare(engine, binFile(QStringLiteral("standin_converter")),
                {"VTS_01_1.VOB", "VTS_02_1.VOB"});
        const qint64 before = ConvertEng::clockMs();
        QVERIFY(engine.start());

        ConvertJob job;
        QVERIFY(QTest::qWaitFor([&] { return engine.getCurrentJob(job) && job.fps >= 0; }, 20000));
        QCOMPARE(job.index, 0);
        QCOMPARE(job.duration, 100);
        QCOMPARE(job.position, 20.0);
        QCOMPARE(job.fps, 50.0);
        QCOMPARE(job.speed, 2.0);
        QVERIFY(job.startedMs >= before && job.startedMs <= ConvertEng::clockMs());
        QCOMPARE(job.status, qint32(StatusPending));

        // Stopped while the first converts: the second is never reached.
        QVERIFY(engine.requestStop());
        QVERIFY(waitForEnd(engine, 30000));
        QCOMPARE(engine.m_jobs[0]->status, qint32(StatusStopped));
        QCOMPARE(engine.m_jobs[1]->status, qint32(StatusPending));
    }

    void listedDurations()
    {
        ConvertEng engine;
        QVERIFY(engine.addJob(QStringLiteral("/dvd/VTS_01_1.VOB"), 1200));
        QVERIFY(!engine.addJob(QStringLiteral("/dvd/VTS_01_1.VOB"), 60));
        QVERIFY(engine.addJob(QStringLiteral("/dvd/VTS_02_1.VOB"), -5));
        QCOMPARE(engine.m_jobs.size(), 2);
        QCOMPARE(engine.m_jobs[0]->listedDuration, 1200);
        QCOMPARE(engine.m_jobs[1]->listedDuration, 0);
    }

    // The launcher with a stand-in ffmpeg that, like ffmpeg 5.1 on a disk
    // that fills up while it writes the file's end, reports the error and
    // exits with 0: the job fails, no file takes the target's name, and an
    // earlier file the user agreed to replace stays as it was.
    void fullDiskAtTheEndIsAFailedJob()
    {
        QTemporaryDir bin;
        const QString fake = bin.filePath(QStringLiteral("ffmpeg"));
        QVERIFY(writeAll(fake, "#!/bin/sh\n"
                               "if [ $# -le 3 ]; then\n"
                               "  echo '  Duration: 00:00:02.00, start: 0.2, bitrate: 1 kb/s' >&2\n"
                               "  exit 1\n"
                               "fi\n"
                               "for last; do :; done\n"
                               "printf 'most of a film' > \"$last\"\n"
                               "printf 'frame=   50 fps=25 size=  100kB time=00:00:01.00 "
                               "speed=1x\\r' >&2\n"
                               "printf '[mp4 @ 0x55] Error writing trailer of %s: No space left "
                               "on device\\n' \"$last\" >&2\n"
                               "exit 0\n"));
        QVERIFY(QFile::setPermissions(fake, QFile::ReadOwner | QFile::ExeOwner));
        // The job script needs rm; nothing else is found on this PATH.
        QVERIFY(QFile::link(QStringLiteral("/bin/rm"), bin.filePath(QStringLiteral("rm"))));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8());
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });

        ConvertEng engine;
        prepare(engine, binFile(QStringLiteral("core/torvane")), {"VTS_01_1.VOB", "VTS_02_1.VOB"});
        engine.m_extension = QStringLiteral("mp4");
        engine.m_arguments = QStringLiteral("-f mp4");
        const QString old = engine.m_outputFolder + QStringLiteral("/VTS_02_1.mp4");
        QVERIFY(writeAll(old, "the user's old film"));
        engine.m_callback = [](qint32, void *) -> qint32 { return 1; };
        QVERIFY(engine.start());
        QVERIFY(waitForEnd(engine, 30000));

        const QString fresh = engine.m_outputFolder + QStringLiteral("/VTS_01_1.mp4");
        for (const ConvertJob *job : std::as_const(engine.m_jobs)) {
            QCOMPARE(job->status, qint32(StatusFailed));
            QCOMPARE(job->percent, 0);
            QCOMPARE(job->lastError, "torvane: conversion failed: [mp4 @ 0x55] Error writing "
                                     "trailer of " +
                                         job->target + ": No space left on device");
        }
        QVERIFY(!QFileInfo::exists(fresh));
        QCOMPARE(readAll(old), QByteArray("the user's old film"));
        QCOMPARE(QDir(engine.m_outputFolder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"VTS_02_1.mp4"});
    }

    void probedJobsAreDone()
    {
        qputenv("VELKO_STANDIN_MODE", "record");
        ConvertEng engine;
        prepare(engine, binFile(QStringLiteral("standin_converter")), {"VTS_01_1.VOB"});
        engine.m_outputFolder.clear();
        engine.m_mode = ModeProbe;
        QVERIFY(engine.start());
        QVERIFY(waitForEnd(engine, 30000));
        QCOMPARE(engine.m_jobs[0]->status, qint32(StatusDone));
    }
};

QTEST_GUILESS_MAIN(TestResults)
#include "tst_results.moc"
