// The converter's progress reports and the tail of its output that the
// conversion log and a failed job's message come from.
#include "OutputTail.h"
#include "ProgressReport.h"

#include <QTest>

class TestConverterOutput : public QObject
{
    Q_OBJECT

private slots:
    void reports_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("fps");
        QTest::addColumn<double>("speed");

        QTest::newRow("ffmpeg 5.1") << QByteArray("frame=  131 fps=129 q=7.0 size=     768kB "
                                                  "time=00:00:05.23 bitrate=1201.0kbits/s "
                                                  "speed=5.18x    ")
                                    << 5.23 << 129.0 << 5.18;
        QTest::newRow("padded values") << QByteArray("frame=   61 fps= 25 q=7.0 size=256kB "
                                                     "time=01:02:03.50 speed= 0.99x")
                                       << 3723.5 << 25.0 << 0.99;
        QTest::newRow("first report") << QByteArray("frame=    1 fps=0.0 q=5.0 size=10kB "
                                                    "time=00:00:00.03 speed=7.27x")
                                      << 0.03 << 0.0 << 7.27;
        QTest::newRow("not available") << QByteArray("frame=    0 fps=N/A size=0kB time=N/A "
                                                     "bitrate=N/A speed=N/A")
                                       << -1.0 << -1.0 << -1.0;
        QTest::newRow("clock before the start") << QByteArray("size=0kB time=-577014:32:22.77 "
                                                              "speed=N/A")
                                                << -1.0 << -1.0 << -1.0;
        QTest::newRow("no clock") << QByteArray("frame=   10 fps=5.0 q=2.0 size=10kB speed=0.5x")
                                  << -1.0 << 5.0 << 0.5;
        QTest::newRow("other text")
            << QByteArray("Press [q] to stop, [?] for help") << -1.0 << -1.0 << -1.0;
    }
    void reports()
    {
        QFETCH(QByteArray, line);
        QFETCH(double, position);
        QFETCH(double, fps);
        QFETCH(double, speed);
        const ProgressReport report = ProgressReport::read(line);
        QCOMPARE(report.position, position);
        QCOMPARE(report.fps, fps);
        QCOMPARE(report.speed, speed);
    }

    void progressReportsFoldIntoTheLatest()
    {
        OutputTail tail;
        tail.feed("Output #0, avi, to 'x.avi':\n"
                  "frame=    1 fps=0.0 size=10kB time=00:00:00.03 speed=7.27x\r"
                  "frame=   61 fps=0.0 size=256kB time=00:00:02.43 speed=4.8");
        QCOMPARE(tail.lines(), QList<QByteArray>({"Output #0, avi, to 'x.avi':",
                                                  "frame=    1 fps=0.0 size=10kB "
                                                  "time=00:00:00.03 speed=7.27x",
                                                  "frame=   61 fps=0.0 size=256kB "
                                                  "time=00:00:02.43 speed=4.8"}));
        // The rest of the report arrives in the next chunk.
        tail.feed("3x\r");
        QCOMPARE(tail.lastProgressLine(),
                 QByteArray("frame=   61 fps=0.0 size=256kB time=00:00:02.43 speed=4.83x"));
        QCOMPARE(tail.lines().size(), 2);

        // A message after the reports keeps the last report before it.
        tail.feed("[mp4 @ 0x55] Error writing trailer of x.mp4: No space left on device\n"
                  "frame=   62 fps=0.0 Lsize=256kB time=00:00:02.47 speed=4.83x    \n"
                  "video:1374kB audio:126kB subtitle:0kB muxing overhead: 1.5%\n");
        QCOMPARE(tail.lines().size(), 5);
        QCOMPARE(tail.lines()[1],
                 QByteArray("frame=   61 fps=0.0 size=256kB time=00:00:02.43 speed=4.83x"));
        QCOMPARE(
            tail.lastMessage(),
            QByteArray("[mp4 @ 0x55] Error writing trailer of x.mp4: No space left on device"));
    }

    void lineEndsOfEveryKind()
    {
        OutputTail tail;
        tail.feed("one\r\ntwo\n\nthree");
        QCOMPARE(tail.lines(), QList<QByteArray>({"one", "two", "", "three"}));
        QCOMPARE(tail.lastMessage(), QByteArray("three"));
        tail.clear();
        QVERIFY(tail.lines().isEmpty());
        QVERIFY(tail.lastMessage().isEmpty());
        QVERIFY(tail.lastProgressLine().isEmpty());
    }

    void keepsOnlyTheLastLines()
    {
        OutputTail tail(3);
        for (int i = 0; i < 10; ++i)
            tail.feed("line " + QByteArray::number(i) + '\n');
        QCOMPARE(tail.lines(), QList<QByteArray>({"line 7", "line 8", "line 9"}));
    }

    void lastMessageSkipsReportsAndBlanks()
    {
        OutputTail tail;
        QVERIFY(tail.lastMessage().isEmpty());
        tail.feed("frame=  1 fps=0.0 size=1kB time=00:00:01.00 speed=1x\r");
        QVERIFY(tail.lastMessage().isEmpty());
        tail.feed("  Unknown encoder 'x'  \n   \n"
                  "size=  10kB time=00:00:01.00 bitrate=1kbits/s speed=1x\n");
        QCOMPARE(tail.lastMessage(), QByteArray("Unknown encoder 'x'"));
    }
};

QTEST_APPLESS_MAIN(TestConverterOutput)
#include "tst_converteroutput.moc"
