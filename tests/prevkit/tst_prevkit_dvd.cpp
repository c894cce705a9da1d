// The preview of DVD title files that hold more than one title: the length
// shown is the piece's true length (from the DVD's tables, where the file's
// own timestamps start again at every title), and seeking works on both
// sides of a restart.

#include "Fixture.h"
#include "MediaProbe.h"
#include "PlayerProbe.h"

#include <QDir>

namespace
{

constexpr int kTimeout = 30000;

using testsupport::dvdFixture;

// The piece's length by counting its pictures, as ffprobe reads the whole
// file: slow, but right whatever the timestamps do.
double countedLength(const QString &path)
{
    const QJsonObject stream =
        testsupport::countedVideoStream(path, QStringLiteral("r_frame_rate"));
    const double rate =
        testsupport::rateValue(stream.value(QStringLiteral("r_frame_rate")).toString());
    const double frames = stream.value(QStringLiteral("nb_read_packets")).toString().toDouble();
    return rate > 0 && frames > 0 ? frames / rate : -1;
}

bool openTitle(PlayerProbe &probe, const QString &path)
{
    prevkit_setFile(probe.handle, path);
    return QTest::qWaitFor([&] { return probe.hasFrame() && probe.play()->isEnabled(); }, kTimeout);
}

// Seeks and waits until the picture at the target is shown.
QImage seekTo(PlayerProbe &probe, int ms)
{
    const QImage before = probe.picture();
    probe.slider()->setValue(ms);
    if (!QTest::qWaitFor([&] { return probe.picture() != before; }, kTimeout))
        return QImage(); // nothing new: the same picture, or none
    QTest::qWait(300);   // paused: nothing else comes
    return probe.picture();
}

} // namespace

class TestPrevkitDvd : public QObject
{
    Q_OBJECT

private slots:
    void sliderSpansTheTrueLength_data();
    void sliderSpansTheTrueLength();
};

void TestPrevkitDvd::sliderSpansTheTrueLength_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QList<int>>("seeks"); // ms, a second into titles after the first
    // Three NTSC titles of 8, 6 and 5 s in one piece (its timestamps say 5 s).
    QTest::newRow("three titles") << "ntsc/VIDEO_TS/VTS_01_1.VOB" << QList<int>{9000, 15000};
    // The last 78 s of a long title, then a 12 s title (its timestamps say
    // 26 hours).
    QTest::newRow("end of one title, the next") << "big/VIDEO_TS/VTS_01_2.VOB" << QList<int>{68000};
}

void TestPrevkitDvd::sliderSpansTheTrueLength()
{
    QFETCH(QString, file);
    QFETCH(QList<int>, seeks);
    const QString path = dvdFixture(file);
    const double truth = countedLength(path);
    QVERIFY2(truth > 0, qPrintable(path));

    PlayerProbe probe;
    QVERIFY(openTitle(probe, path));
    // Exact to one unit of the disc's navigation (under a second).
    const int length = probe.slider()->maximum();
    QVERIFY2(std::abs(length - truth * 1000) < 1000,
             qPrintable(QStringLiteral("slider %1 ms, counted %2 s").arg(length).arg(truth)));
    const int seconds = length / 1000;
    QVERIFY2(probe.time()->text().endsWith(QStringLiteral(" / %1:%2:%3")
                                               .arg(seconds / 3600)
                                               .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                               .arg(seconds % 60, 2, 10, QLatin1Char('0'))),
             qPrintable(probe.time()->text()));

    // Seeking lands on the target in every title, the same picture whichever
    // way it is reached.
    const QImage start = probe.picture();
    for (const int target : seeks) {
        const QImage there = seekTo(probe, target);
        QVERIFY2(probe.slider()->value() >= target && probe.slider()->value() < target + 100,
                 qPrintable(QString::number(probe.slider()->value())));
        QVERIFY(there != start);
        QVERIFY(PlayerProbe::colourCount(there) > 5);
        seekTo(probe, 2000);
        QCOMPARE(seekTo(probe, target), there);
    }

    // Playing on from the last title runs to the end of the piece.
    QList<int> positions;
    connect(probe.slider(), &QSlider::valueChanged, this,
            [&positions](int value) { positions << value; });
    seekTo(probe, length - 2000);
    positions.clear();
    probe.play()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!probe.playing(), kTimeout);
    QVERIFY(positions.size() > 10);
    for (int i = 1; i < positions.size(); ++i)
        QVERIFY2(positions[i] > positions[i - 1], qPrintable(QString::number(positions[i])));
    QVERIFY2(positions.last() > length - 500, qPrintable(QString::number(positions.last())));
}

QTEST_MAIN(TestPrevkitDvd)
#include "tst_prevkit_dvd.moc"
