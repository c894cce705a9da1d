// Where a stream's frames lie in the title: across restarts and leaps of the
// timestamps, without timestamps, and in a DVD title file by its titles.
#include "StreamClock.h"

#include <QTest>

#include <cmath>

using prevkit::StreamClock;
using prevkit::TitleTimeline;

namespace
{
constexpr double kNone = NAN; // a frame without a timestamp
}

class TestStreamClock : public QObject
{
    Q_OBJECT

private slots:
    void placesFramesInTheTitle_data()
    {
        QTest::addColumn<bool>("pictures");
        QTest::addColumn<bool>("layout");
        QTest::addColumn<QList<double>>("timestamps");
        QTest::addColumn<QList<qint64>>("bytes");
        QTest::addColumn<QList<double>>("expected");
        // Frames of 0.04 s in a file that starts at 10 s.
        const QList<qint64> noBytes(4, -1);
        QTest::newRow("continuous") << true << false << QList<double>{10, 10.04, 10.08, 10.12}
                                    << noBytes << QList<double>{0, 0.04, 0.08, 0.12};
        QTest::newRow("restart carries on") << true << false << QList<double>{10, 10.04, 0.5, 0.54}
                                            << noBytes << QList<double>{0, 0.04, 0.08, 0.12};
        QTest::newRow("leap carries on") << false << false << QList<double>{10, 10.04, 14, 14.04}
                                         << noBytes << QList<double>{0, 0.04, 0.08, 0.12};
        QTest::newRow("small step back kept")
            << false << false << QList<double>{11, 11.04, 10.9, 10.94} << noBytes
            << QList<double>{1, 1.04, 0.9, 0.94};
        QTest::newRow("no timestamp follows on")
            << true << false << QList<double>{10, kNone, kNone, 10.12} << noBytes
            << QList<double>{0, 0.04, 0.08, 0.12};
        QTest::newRow("sound before the start")
            << false << false << QList<double>{9.9, 9.94} << noBytes << QList<double>{-0.1, -0.06};
        QTest::newRow("no picture before the start")
            << true << false << QList<double>{9.9, 9.94} << noBytes << QList<double>{0, 0};
        // Titles at bytes 0 and 1000, playing from 0 and 5 s, whose first
        // timestamps are 10 and 0.3; a frame of unknown byte stays in the
        // title of the last one, a restart is no jump here.
        QTest::newRow("titles of a title file")
            << true << true << QList<double>{10.5, 1.3, 1.34, 0.3}
            << QList<qint64>{100, 1500, -1, 1000} << QList<double>{0.5, 6, 6.04, 5};
    }
    void placesFramesInTheTitle()
    {
        QFETCH(bool, pictures);
        QFETCH(bool, layout);
        QFETCH(QList<double>, timestamps);
        QFETCH(QList<qint64>, bytes);
        QFETCH(QList<double>, expected);
        TitleTimeline timeline;
        timeline.origin = 10;
        if (layout) {
            timeline.layout.duration = 10;
            timeline.layout.segments = {{0, 1000, 0, 5}, {1000, 2000, 5, 5}};
            timeline.segmentStarts = {10, 0.3};
        }
        StreamClock clock(pictures);
        for (qsizetype i = 0; i < timestamps.size(); ++i) {
            const double ts = timestamps[i];
            const double at = clock.place(timeline, !std::isnan(ts), ts, bytes[i], 0.04);
            QVERIFY2(std::abs(at - expected[i]) < 1e-9,
                     qPrintable(QStringLiteral("frame %1 at %2").arg(i).arg(at)));
        }
    }

    void aRestartForgetsTheFramesBefore()
    {
        TitleTimeline timeline;
        StreamClock clock;
        QCOMPARE(clock.place(timeline, true, 30, -1, 0.04), 30.0);
        clock.restart();
        // After a seek the next frame stands where its timestamp says.
        QCOMPARE(clock.place(timeline, true, 60, -1, 0.04), 60.0);
    }
};

QTEST_GUILESS_MAIN(TestStreamClock)
#include "tst_streamclock.moc"
