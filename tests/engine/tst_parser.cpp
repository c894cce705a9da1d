// Reading the converter's text: clocks, probe texts and progress lines.
#include "ConvertEng.h"

#include <QBuffer>
#include <QTest>

#include <climits>

class TestParser : public QObject
{
    Q_OBJECT

private:
    // An engine with one job of the given duration, as the worker sees it
    // while it converts that job.
    static void prepareJob(ConvertEng &engine, qint32 duration)
    {
        engine.addJob(QStringLiteral("/dvd/VIDEO_TS/VTS_01_1.VOB"));
        engine.m_jobs[0]->duration = duration;
        engine.m_current = 0;
    }
    static qint32 percent(ConvertEng &engine) { return engine.m_jobs[0]->percent; }

private slots:
    void clock_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("seconds");
        QTest::newRow("probe clock") << QByteArray(" 00:20:00.04") << 1200;
        QTest::newRow("half goes up") << QByteArray(" 01:02:03.50") << 3724;
        QTest::newRow("just under half") << QByteArray("00:00:00.49") << 0;
        QTest::newRow("long hours") << QByteArray("100:00:00") << 360000;
        QTest::newRow("N/A") << QByteArray("N/A") << 0;
        QTest::newRow("two fields") << QByteArray("02:03") << 0;
        QTest::newRow("four fields") << QByteArray("1:02:03:04") << 0;
        QTest::newRow("final colon makes no field") << QByteArray("1:02:") << 0;
        QTest::newRow("final colon after three") << QByteArray("1:02:03:") << 3723;
        QTest::newRow("empty first field") << QByteArray(":01:02") << 62;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("unreadable fields") << QByteArray("a:b:c") << 0;
        QTest::newRow("trailing text") << QByteArray("00:00:07.2x") << 7;
        QTest::newRow("beyond 32 bits is clamped") << QByteArray("9999999999:00:00") << INT_MAX;
    }
    void clock()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, seconds);
        QCOMPARE(ConvertEng::parseClock(text), seconds);
    }

    void clockIgnoresLocale()
    {
        // A German decimal comma in the C locale must not cut "03.50".
        const char *previous = setlocale(LC_NUMERIC, nullptr);
        const QByteArray saved = previous ? previous : "C";
        if (!setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            QSKIP("no locale with a decimal comma is installed");
        const qint32 seconds = ConvertEng::parseClock(" 00:00:03.50");
        setlocale(LC_NUMERIC, saved.constData());
        QCOMPARE(seconds, 4);
    }

    void probeDurationText()
    {
        const QByteArray dvd = "[mpeg @ 0x56] start time for stream 0 is not set\n"
                               "Input #0, mpeg, from 'VTS_01_1.VOB':\n"
                               "  Duration: 00:20:00.04, start: 0.280633, bitrate: 7826 kb/s\n"
                               "  Stream #0:1[0x1e0]: Video: mpeg2video (Main), yuv420p\n";
        QCOMPARE(ConvertEng::durationFromProbe(dvd), 1200);
        QCOMPARE(ConvertEng::durationFromProbe("  Duration: N/A, start: 0.280633, bitrate: N/A\n"),
                 0);
        QCOMPARE(ConvertEng::durationFromProbe("  Duration: 00:00:08.01\n"), 0); // no comma
        QCOMPARE(ConvertEng::durationFromProbe("sh: 1: torvane: not found\n"), 0);
        QCOMPARE(ConvertEng::durationFromProbe(QByteArray()), 0);
    }

    void probeMediaTexts()
    {
        const QString dvd = QStringLiteral(
            "Input #0, mpeg, from 'VTS_01_1.VOB':\n"
            "  Duration: 00:20:00.04, start: 0.280633, bitrate: 7826 kb/s\n"
            "  Stream #0:0[0x1bf]: Data: dvd_nav_packet\n"
            "  Stream #0:1[0x1e0]: Video: mpeg2video (Main), yuv420p(tv, progressive), 720x576\n"
            "  Stream #0:2[0x80]: Audio: ac3, 48000 Hz, stereo, fltp, 192 kb/s\n");
        MediaInfo info = ConvertEng::mediaFromProbe(dvd);
        QCOMPARE(info.durationText, QStringLiteral(" 00:20:00"));
        QCOMPARE(info.formatText, QStringLiteral(" MPEG2"));

        // The first dot after an unknown duration lies in the start time.
        info = ConvertEng::mediaFromProbe(
            QStringLiteral("  Duration: N/A, start: 0.280633, bitrate: N/A\n"));
        QCOMPARE(info.durationText, QStringLiteral(" N/A, start: 0"));
        QVERIFY(info.formatText.isEmpty());

        // Without "video" on its own line the format runs on to the next one;
        // only a to z are upper-cased.
        info = ConvertEng::mediaFromProbe(
            QStringLiteral("Stream #0:0: Video: h264 (High), yuvä420p\nStream #0:1: video\n"));
        QCOMPARE(info.formatText, QStringLiteral(" H264 (HIGH), YUVä420P\nSTREAM #0:1: "));

        info = ConvertEng::mediaFromProbe(QStringLiteral("sh: 1: torvane: not found\n"));
        QVERIFY(info.durationText.isEmpty());
        QVERIFY(info.formatText.isEmpty());
    }

    void decoding()
    {
        QCOMPARE(ConvertEng::utf8ToWide("Gr\xc3\xbc\xc3\x9f"
                                        "e"),
                 QStringLiteral("Grüße"));
        QCOMPARE(ConvertEng::utf8ToWide(QByteArray("ab\0cd", 5)), QStringLiteral("ab"));
        const QString astral = ConvertEng::utf8ToWide("\xf0\x9f\x8e\xac");
        QCOMPARE(astral.size(), 2);
        QVERIFY(astral.at(0).isHighSurrogate());
        // Bytes that are not UTF-8 become replacement characters, the rest stays.
        const QString broken = ConvertEng::utf8ToWide("Video: \xff\xfe mpeg2video");
        QVERIFY(broken.startsWith(QStringLiteral("Video: ")));
        QVERIFY(broken.contains(QChar::ReplacementCharacter));
        QVERIFY(broken.endsWith(QStringLiteral(" mpeg2video")));
    }

    void progressFromLines()
    {
        ConvertEng engine;
        prepareJob(engine, 1200);
        engine.parseProgress("frame= 7500 fps=180 q=2.0 size= 2048kB time=00:05:00.00 "
                             "bitrate=2097.2kbits/s speed=7x\r");
        QCOMPARE(percent(engine), 25);

        // Only the last clock of a chunk counts.
        engine.parseProgress("time=00:06:00.00 bitrate=1k\rtime=00:12:00.00 bitrate=1k\r");
        QCOMPARE(percent(engine), 60);

        // A clock of 0 or one that cannot be read changes nothing.
        engine.parseProgress("time=00:00:00.00 bitrate=N/A\r");
        QCOMPARE(percent(engine), 60);
        engine.parseProgress("time=N/A bitrate=N/A\r");
        QCOMPARE(percent(engine), 60);

        // Past the end the percentage stops at 100.
        engine.parseProgress("time=00:40:00.00 bitrate=1k\n");
        QCOMPARE(percent(engine), 100);
    }

    void progressLineSplitOverChunks()
    {
        ConvertEng engine;
        prepareJob(engine, 100);
        engine.parseProgress("frame=  250 size=1kB time=00:00:1");
        QCOMPARE(percent(engine), 0);
        engine.parseProgress("0.00 bitrate=1k");
        QCOMPARE(percent(engine), 0);
        engine.parseProgress(" speed=1x\r");
        QCOMPARE(percent(engine), 10);
    }

    void progressDroppedWithoutDuration()
    {
        ConvertEng engine;
        prepareJob(engine, 0);
        engine.parseProgress("time=00:00:50.00 bitrate=1k");
        QCOMPARE(percent(engine), 0);
        // What arrived while the duration was unknown was not kept.
        engine.m_jobs[0]->duration = 100;
        engine.parseProgress("\r");
        QCOMPARE(percent(engine), 0);
        engine.parseProgress("time=00:00:50.00 bitrate=1k\r");
        QCOMPARE(percent(engine), 50);
    }

    // What the converter prints goes through readOutput: every byte to the
    // collector, in chunks the pipe can hand out, and the progress lines to
    // the parser while a conversion runs, and only then.
    void readOutputFeedsTheParser()
    {
        ConvertEng engine;
        prepareJob(engine, 200);
        QByteArray text(10000, 'w');
        text += "\nframe=  250 size=1kB time=00:00:50.00 bitrate=1k speed=1x\r";
        QBuffer pipe(&text);
        QVERIFY(pipe.open(QIODevice::ReadOnly));

        engine.m_parseProgress = true;
        QByteArray collected;
        engine.readOutput(pipe, &collected);
        QCOMPARE(collected, text);
        QCOMPARE(percent(engine), 25);

        QByteArray later("time=00:02:30.00 bitrate=1k\r");
        QBuffer second(&later);
        QVERIFY(second.open(QIODevice::ReadOnly));
        engine.m_parseProgress = false;
        engine.readOutput(second, nullptr);
        QCOMPARE(percent(engine), 25);
        QVERIFY(second.atEnd());
    }

    // A chunk is text up to its first NUL byte: what follows the NUL in that
    // chunk is dropped, the next chunk counts again.
    void readOutputEndsAChunkAtNul()
    {
        ConvertEng engine;
        QByteArray text("Duration: 00:01:40.00,");
        text += '\0';
        text += "garbage";
        QBuffer pipe(&text);
        QVERIFY(pipe.open(QIODevice::ReadOnly));
        QByteArray collected;
        engine.readOutput(pipe, &collected);
        QCOMPARE(collected, QByteArray("Duration: 00:01:40.00,"));
        QVERIFY(pipe.atEnd());
    }

    void unfinishedLineCarriesToNextJob()
    {
        ConvertEng engine;
        engine.addJob(QStringLiteral("/a/VTS_01_1.VOB"));
        engine.addJob(QStringLiteral("/a/VTS_01_2.VOB"));
        engine.m_jobs[0]->duration = 100;
        engine.m_jobs[1]->duration = 100;
        engine.m_current = 0;
        engine.parseProgress("time=00:00:3");
        engine.m_current = 1;
        engine.parseProgress("0.00 bitrate=1k\r");
        QCOMPARE(engine.m_jobs[0]->percent, 0);
        QCOMPARE(engine.m_jobs[1]->percent, 30);
    }

    // The launcher's outcome lines, as its last lines hold them, become the
    // job's record; the message a person reads is not one of them.
    void launcherOutcome()
    {
        const QList<QByteArray> lines = {
            "frame=  240 fps=113 Lsize=441kB time=00:00:08.00",
            "torvane: skipped: 69000 2040",
            "torvane: skipped: 120500 500",
            "torvane: conversion failed: the source could be read only to 0:05:49 of 0:11:40",
            "torvane: failure: incomplete",
            "torvane: read to: 349200 of 700000",
            "torvane: kept: Line%0Aend 100%25 (incomplete).mp4",
        };
        const JobOutcome outcome = JobOutcome::read(lines);
        QCOMPARE(int(outcome.failure), int(outcome::Failure::Incomplete));
        QCOMPARE(outcome.readToMs, 349200);
        QCOMPARE(outcome.sourceMs, 700000);
        QCOMPARE(outcome.skipped.size(), 2);
        QCOMPARE(outcome.skipped[1].atMs, 120500);
        QCOMPARE(outcome.skippedMs(), 2540);
        QCOMPARE(outcome.keptPath(QStringLiteral("/out/Film.mp4")),
                 QStringLiteral("/out/Line\nend 100% (incomplete).mp4"));
        OutputTail tail;
        for (const QByteArray &line : lines)
            tail.feed(line + '\n');
        QCOMPARE(tail.lastMessage(), lines[3]);
        QCOMPARE(int(JobOutcome::read({"torvane: failure: something new"}).failure),
                 int(outcome::Failure::Other));
    }
};

QTEST_GUILESS_MAIN(TestParser)
#include "tst_parser.moc"
