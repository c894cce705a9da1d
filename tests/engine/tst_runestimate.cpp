// Time elapsed and time left of a title and of a run, from what the
// converter reports.
#include "RunEstimate.h"

#include <QTest>

namespace
{

RunSample sample(double position, double speed, qint32 duration, qint64 titleMs, qint64 runMs,
                 qint64 later)
{
    RunSample s;
    s.titleNumber = 2;
    s.titleCount = 3;
    s.nowMs = 1000000;
    s.runStartedMs = s.nowMs - runMs;
    s.job.startedMs = s.nowMs - titleMs;
    s.job.position = position;
    s.job.speed = speed;
    s.job.duration = duration;
    s.laterSeconds = later;
    return s;
}

} // namespace

class TestRunEstimate : public QObject
{
    Q_OBJECT

private slots:
    void estimates_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("speed");
        QTest::addColumn<int>("duration");
        QTest::addColumn<qint64>("titleMs");
        QTest::addColumn<qint64>("later");
        QTest::addColumn<qint64>("titleLeft");
        QTest::addColumn<qint64>("runLeft");

        // 80 s of source left at twice real time; 300 s more after it.
        QTest::newRow("reported speed")
            << 20.0 << 2.0 << 100 << qint64(12000) << qint64(300) << qint64(40) << qint64(190);
        // No speed reported: 20 s converted in 40 s of work is half real time.
        QTest::newRow("speed seen")
            << 20.0 << -1.0 << 100 << qint64(40000) << qint64(0) << qint64(160) << qint64(160);
        QTest::newRow("past the end")
            << 130.0 << 1.0 << 100 << qint64(1000) << qint64(50) << qint64(0) << qint64(50);
        QTest::newRow("no length")
            << 20.0 << 2.0 << 0 << qint64(1000) << qint64(300) << qint64(-1) << qint64(-1);
        QTest::newRow("no position yet")
            << -1.0 << 2.0 << 100 << qint64(1000) << qint64(300) << qint64(-1) << qint64(-1);
        QTest::newRow("standing still")
            << 0.0 << -1.0 << 100 << qint64(5000) << qint64(0) << qint64(-1) << qint64(-1);
        QTest::newRow("rounded up")
            << 99.5 << 1.0 << 100 << qint64(1000) << qint64(0) << qint64(1) << qint64(1);
    }
    void estimates()
    {
        QFETCH(double, position);
        QFETCH(double, speed);
        QFETCH(int, duration);
        QFETCH(qint64, titleMs);
        QFETCH(qint64, later);
        QFETCH(qint64, titleLeft);
        QFETCH(qint64, runLeft);
        const RunEstimate e =
            RunEstimate::of(sample(position, speed, duration, titleMs, 65500, later));
        QCOMPARE(e.titleLeft, titleLeft);
        QCOMPARE(e.runLeft, runLeft);
        QCOMPARE(e.titleElapsed, titleMs / 1000);
        QCOMPARE(e.runElapsed, qint64(65));
    }

    void listedLengthStandsInForTheProbedOne()
    {
        RunSample s = sample(30.0, 1.0, 0, 1000, 1000, 0);
        s.job.listedDuration = 90;
        QCOMPARE(RunEstimate::of(s).titleLeft, qint64(60));
        s.job.duration = 60;
        QCOMPARE(RunEstimate::of(s).titleLeft, qint64(30));
    }

    void nothingBeforeTheFirstTitle()
    {
        RunSample s = sample(30.0, 1.0, 100, 1000, 5000, 0);
        s.titleNumber = 0;
        const RunEstimate e = RunEstimate::of(s);
        QCOMPARE(e.titleLeft, qint64(-1));
        QCOMPARE(e.runLeft, qint64(-1));
        QCOMPARE(e.runElapsed, qint64(0));
    }
};

QTEST_APPLESS_MAIN(TestRunEstimate)
#include "tst_runestimate.moc"
