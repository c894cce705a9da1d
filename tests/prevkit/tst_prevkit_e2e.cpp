// The preview player on real DVD titles: the first frame and the length on
// opening, playback, seeking, snapshots, reset and switching titles.

#include "FilePath.h"
#include "Fixture.h"
#include "PlayerProbe.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

namespace
{

constexpr int kTimeout = 20000;

using testsupport::fixture;

// Opens a title and waits for its first frame.
bool openTitle(PlayerProbe &probe, const QString &path)
{
    prevkit_setFile(probe.handle, path);
    return QTest::qWaitFor([&] { return probe.hasFrame() && probe.play()->isEnabled(); }, kTimeout);
}

} // namespace

class TestPrevkitE2e : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void opensOnTheFirstFrame_data();
    void opensOnTheFirstFrame();
    void opensANameThatIsNotUtf8();
    void playsAndPauses();
    void playsThroughAClockRestart();
    void seeks();
    void snapshotsNeverOverwrite();
    void snapshotsKeepTheDisplayShape_data();
    void snapshotsKeepTheDisplayShape();
    void resetClearsThePicture();
    void switchingTitlesQuickly();

private:
    QTemporaryDir m_dir;
};

void TestPrevkitE2e::initTestCase()
{
    QVERIFY2(QFile::exists(fixture(QStringLiteral("title12s.VOB"))),
             "VELKO_FIXTURES must hold the media of make-fixtures.sh");
}

void TestPrevkitE2e::opensOnTheFirstFrame_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("time");
    QTest::addColumn<double>("aspect"); // of the picture as drawn
    QTest::newRow("4:3 title") << "title12s.VOB"
                               << "0:00:00 / 0:00:12" << 4.0 / 3;
    QTest::newRow("16:9 title") << "long.VOB"
                                << "0:00:00 / 0:00:40" << 16.0 / 9;
    QTest::newRow("DVD-Video title") << "dvd/VIDEO_TS/VTS_02_1.VOB"
                                     << "0:00:00 / 0:00:02" << 16.0 / 9;
}

void TestPrevkitE2e::opensOnTheFirstFrame()
{
    QFETCH(QString, file);
    QFETCH(QString, time);
    QFETCH(double, aspect);
    PlayerProbe probe;
    QVERIFY(openTitle(probe, fixture(file)));
    QVERIFY(PlayerProbe::colourCount(probe.picture()) > 20);
    QCOMPARE(probe.time()->text(), time);
    QVERIFY(probe.slider()->isEnabled());
    QVERIFY(probe.snapshot()->isEnabled());
    QVERIFY(!probe.playing()); // shown, not played

    // Letterboxed at the display aspect: black bars above and below, picture
    // as wide as the area.
    const QImage picture = probe.picture();
    int top = 0;
    while (top < picture.height() && picture.pixel(picture.width() / 2, top) == qRgb(0, 0, 0))
        ++top;
    int bottom = picture.height() - 1;
    while (bottom > top && picture.pixel(picture.width() / 2, bottom) == qRgb(0, 0, 0))
        --bottom;
    const double drawn = double(picture.width()) / (bottom - top + 1);
    QVERIFY2(qAbs(drawn - aspect) < 0.05, qPrintable(QString::number(drawn)));
}

// A Latin-1 name, as an old copy carries it, reaches the player as the scan
// keeps it (FilePath.h) and is opened by its very bytes.
void TestPrevkitE2e::opensANameThatIsNotUtf8()
{
    QVERIFY(m_dir.isValid());
    const QByteArray name = filepath::toNative(m_dir.path()) + "/caf\xe9.VOB";
    QVERIFY(::symlink(filepath::toNative(fixture(QStringLiteral("title12s.VOB"))).constData(),
                      name.constData()) == 0);
    // A name Qt cannot spell back is not removed with the temporary folder.
    const auto removeLink = qScopeGuard([&name] { ::unlink(name.constData()); });
    PlayerProbe probe;
    QVERIFY(openTitle(probe, filepath::fromNative(name)));
    QCOMPARE(probe.time()->text(), QStringLiteral("0:00:00 / 0:00:12"));
    QVERIFY(probe.message().isEmpty());
}

void TestPrevkitE2e::playsAndPauses()
{
    PlayerProbe probe;
    QVERIFY(openTitle(probe, fixture(QStringLiteral("title2s.VOB"))));
    const QImage first = probe.picture();

    QElapsedTimer clock;
    clock.start();
    probe.play()->click();
    QVERIFY(probe.playing());
    QTRY_VERIFY_WITH_TIMEOUT(probe.slider()->value() >= 500, kTimeout);
    QVERIFY(probe.picture() != first);
    // Paced by the clock: never ahead of the time that has passed.
    QVERIFY2(
        probe.slider()->value() <= clock.elapsed() + 300,
        qPrintable(
            QStringLiteral("%1 after %2 ms").arg(probe.slider()->value()).arg(clock.elapsed())));

    probe.play()->click();
    QVERIFY(!probe.playing());
    QTest::qWait(300); // frames already on their way
    const int paused = probe.slider()->value();
    QTest::qWait(500);
    QCOMPARE(probe.slider()->value(), paused);

    // Played to the end, it stops by itself; Play then starts over.
    probe.play()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!probe.playing(), kTimeout);
    QVERIFY(probe.slider()->value() >= 1800);
    QVERIFY(probe.time()->text().endsWith(QStringLiteral(" / 0:00:02")));
    probe.play()->click();
    QTRY_VERIFY_WITH_TIMEOUT(probe.slider()->value() < 1500, kTimeout);
}

// Two titles authored into one VOB: the timestamps start again halfway. The
// length is both titles' (from the DVD's tables) and the position keeps
// counting up to it.
void TestPrevkitE2e::playsThroughAClockRestart()
{
    PlayerProbe probe;
    QVERIFY(openTitle(probe, fixture(QStringLiteral("dvd/VIDEO_TS/VTS_01_1.VOB"))));
    QCOMPARE(probe.time()->text(), QStringLiteral("0:00:00 / 0:00:05"));
    QList<int> positions;
    connect(probe.slider(), &QSlider::valueChanged, this,
            [&positions](int value) { positions << value; });
    probe.play()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!probe.playing(), kTimeout);
    QVERIFY(positions.size() > 10);
    for (int i = 1; i < positions.size(); ++i)
        QVERIFY2(positions[i] > positions[i - 1], qPrintable(QString::number(positions[i])));
    QVERIFY2(positions.last() >= 4500, qPrintable(QString::number(positions.last())));
    QCOMPARE(probe.time()->text(), QStringLiteral("0:00:04 / 0:00:05")); // the last frame
}

void TestPrevkitE2e::seeks()
{
    PlayerProbe probe;
    QVERIFY(openTitle(probe, fixture(QStringLiteral("title12s.VOB"))));
    const QImage first = probe.picture();

    // The frame shown is the one at the target, not the key frame before it.
    probe.slider()->setValue(6000);
    QTRY_VERIFY_WITH_TIMEOUT(probe.picture() != first, kTimeout);
    QTest::qWait(200); // paused: nothing else comes
    QVERIFY2(probe.slider()->value() >= 6000 && probe.slider()->value() < 6100,
             qPrintable(QString::number(probe.slider()->value())));
    QCOMPARE(probe.time()->text(), QStringLiteral("0:00:06 / 0:00:12"));
    const QImage atSix = probe.picture();

    // Back to the start shows the first frame again, exactly.
    probe.slider()->setValue(0);
    QTRY_VERIFY_WITH_TIMEOUT(probe.picture() == first, kTimeout);
    QCOMPARE(probe.time()->text(), QStringLiteral("0:00:00 / 0:00:12"));

    // Past the last frame: the last frame is shown, and Play starts over.
    probe.slider()->setValue(probe.slider()->maximum());
    QTRY_VERIFY_WITH_TIMEOUT(probe.picture() != first && probe.picture() != atSix, kTimeout);
    QVERIFY(probe.hasFrame());
    QVERIFY(probe.slider()->value() >= 11000);

    // Seeking while playing goes on playing from there.
    probe.slider()->setValue(3000);
    probe.play()->click();
    QTRY_VERIFY_WITH_TIMEOUT(probe.slider()->value() >= 3500, kTimeout);
    QVERIFY(probe.playing());
    probe.slider()->setValue(9000);
    QTRY_VERIFY_WITH_TIMEOUT(probe.slider()->value() >= 9200, kTimeout);
}

void TestPrevkitE2e::snapshotsNeverOverwrite()
{
    const QString folder = m_dir.filePath(QStringLiteral("shots/new folder"));
    PlayerProbe probe;
    prevkit_setSnapshotFolder(probe.handle, folder);
    QVERIFY(openTitle(probe, fixture(QStringLiteral("title12s.VOB"))));
    const QImage first = probe.picture();
    probe.slider()->setValue(5000);
    QTRY_VERIFY_WITH_TIMEOUT(probe.picture() != first, kTimeout); // the frame at 0:00:05

    probe.snapshot()->click();
    probe.snapshot()->click();
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    QCOMPARE(files, QStringList({"title12s_0-00-05.png", "title12s_0-00-05_2.png"}));
    for (const QString &name : files) {
        const QImage shot(QDir(folder).filePath(name));
        QCOMPARE(shot.size(), QSize(768, 576)); // 4:3, as shown
        QVERIFY(PlayerProbe::colourCount(shot) > 20);
    }
    QCOMPARE(QImage(QDir(folder).filePath(files[0])), QImage(QDir(folder).filePath(files[1])));

    // A file of someone else's in the way is left alone.
    QFile other(QDir(folder).filePath(QStringLiteral("title12s_0-00-05_3.png")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("not mine");
    other.close();
    probe.snapshot()->click();
    QVERIFY(QFile::exists(QDir(folder).filePath(QStringLiteral("title12s_0-00-05_4.png"))));
    QCOMPARE(probe.note(), QStringLiteral("Saved title12s_0-00-05_4.png"));
    QVERIFY(other.open(QIODevice::ReadOnly));
    QCOMPARE(other.readAll(), QByteArray("not mine"));
    other.close();

    // A folder that cannot be made: the player says so and goes on.
    prevkit_setSnapshotFolder(probe.handle, other.fileName() + QStringLiteral("/below a file"));
    probe.snapshot()->click();
    QVERIFY2(probe.note().startsWith(QStringLiteral("Snapshot not saved")),
             qPrintable(probe.note()));
    QVERIFY(probe.hasFrame());
}

void TestPrevkitE2e::snapshotsKeepTheDisplayShape_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    // 720x576 stored pixels, stretched to the shape they are shown at.
    QTest::newRow("16:9") << "long.VOB" << QSize(1024, 576);
    QTest::newRow("4:3") << "title2s.VOB" << QSize(768, 576);
    QTest::newRow("16:9 DVD-Video") << "dvd/VIDEO_TS/VTS_02_1.VOB" << QSize(1024, 576);
}

// The snapshot is the full picture at the shape it is shown at, however
// small the player draws it.
void TestPrevkitE2e::snapshotsKeepTheDisplayShape()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    const QString folder = m_dir.filePath(QStringLiteral("shapes/") + QTest::currentDataTag());
    PlayerProbe probe(QRect(0, 0, 200, 180));
    prevkit_setSnapshotFolder(probe.handle, folder);
    QVERIFY(openTitle(probe, fixture(file)));
    probe.snapshot()->click();
    const QStringList files = QDir(folder).entryList(QDir::Files);
    QCOMPARE(files.size(), 1);
    const QImage shot(QDir(folder).filePath(files[0]));
    QCOMPARE(shot.size(), size);
    QVERIFY(PlayerProbe::colourCount(shot) > 20);
    // The same picture as on show, at the size shown.
    const QImage shown = probe.picture();
    int top = 0;
    while (top < shown.height() && shown.pixel(shown.width() / 2, top) == qRgb(0, 0, 0))
        ++top;
    int left = 0;
    while (left < shown.width() && shown.pixel(left, shown.height() / 2) == qRgb(0, 0, 0))
        ++left;
    const QRect drawn(left, top, shown.width() - 2 * left, shown.height() - 2 * top);
    const QImage small = shot.scaled(drawn.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    const QImage onShow = shown.copy(drawn).convertToFormat(QImage::Format_RGB32);
    double difference = 0;
    for (int y = 0; y < small.height(); y += 3)
        for (int x = 0; x < small.width(); x += 3)
            difference += std::abs(qGray(small.pixel(x, y)) - qGray(onShow.pixel(x, y)));
    difference /= (small.height() / 3 + 1) * (small.width() / 3 + 1);
    QVERIFY2(difference < 25, qPrintable(QString::number(difference)));
}

void TestPrevkitE2e::resetClearsThePicture()
{
    PlayerProbe probe;
    QVERIFY(openTitle(probe, fixture(QStringLiteral("title12s.VOB"))));
    probe.play()->click();
    QTRY_VERIFY_WITH_TIMEOUT(probe.slider()->value() > 200, kTimeout);

    prevkit_reset(probe.handle);
    QVERIFY(!probe.playing());
    QVERIFY(!probe.hasFrame());
    QVERIFY(!probe.play()->isEnabled());
    QVERIFY(!probe.snapshot()->isEnabled());
    QCOMPARE(probe.slider()->value(), 0);
    QTest::qWait(300);
    QCOMPARE(PlayerProbe::colourCount(probe.picture()), 1);
    QCOMPARE(probe.slider()->value(), 0);

    // What the worker reported about the file before the reset, and the window
    // had not yet taken in, is dropped.
    prevkit_setFile(probe.handle, fixture(QStringLiteral("title12s.VOB")));
    QThread::msleep(1500); // no events: the first frame waits in the queue
    prevkit_reset(probe.handle);
    QTest::qWait(300);
    QVERIFY(!probe.hasFrame());
    QVERIFY(!probe.play()->isEnabled());
    QCOMPARE(PlayerProbe::colourCount(probe.picture()), 1);

    // The player works on after a reset, and after being released while playing.
    QVERIFY(openTitle(probe, fixture(QStringLiteral("title2s.VOB"))));
    probe.play()->click();
    prevkit_release(probe.handle);
    probe.handle = nullptr;
    QVERIFY(!probe.player());
}

void TestPrevkitE2e::switchingTitlesQuickly()
{
    const QStringList titles = {
        fixture("title2s.VOB"), fixture("long.VOB"), fixture("dvd/VIDEO_TS/VTS_01_1.VOB"),
        m_dir.filePath(QStringLiteral("missing.VOB")), fixture("title12s.VOB")};
    PlayerProbe probe;
    for (int round = 0; round < 5; ++round) {
        for (const QString &title : titles) {
            prevkit_setFile(probe.handle, title);
            if (round % 2)
                QCoreApplication::processEvents();
        }
        if (round == 2)
            probe.play()->click();
    }
    // The last title wins, whatever the earlier ones reported.
    QTRY_VERIFY_WITH_TIMEOUT(probe.hasFrame() && probe.play()->isEnabled(), kTimeout);
    QTest::qWait(300);
    QCOMPARE(probe.time()->text(), QStringLiteral("0:00:00 / 0:00:12"));
    QVERIFY(probe.message().isEmpty());
    QVERIFY(!probe.playing());

    // A report about the previous title that is already queued when the next
    // one is asked for does not count for the next one.
    prevkit_setFile(probe.handle, m_dir.filePath(QStringLiteral("missing.VOB")));
    QThread::msleep(1000);
    prevkit_setFile(probe.handle, fixture(QStringLiteral("title2s.VOB")));
    QCoreApplication::processEvents();
    QVERIFY(probe.message().isEmpty());
    QVERIFY(openTitle(probe, fixture(QStringLiteral("title2s.VOB"))));
    prevkit_setFile(probe.handle, fixture(QStringLiteral("title12s.VOB")));
    QThread::msleep(1500);
    prevkit_setFile(probe.handle, m_dir.filePath(QStringLiteral("missing.VOB")));
    QTRY_COMPARE_WITH_TIMEOUT(probe.message(), QStringLiteral("Cannot preview this file"),
                              kTimeout);
    QTest::qWait(300);
    QVERIFY(!probe.hasFrame());
    QVERIFY(!probe.play()->isEnabled());
    QCOMPARE(probe.time()->text(), QStringLiteral("0:00:00"));
}

QTEST_MAIN(TestPrevkitE2e)
#include "tst_prevkit_e2e.moc"
