// The preview of a whole DVD title named by its job source: every piece in
// order from a folder and from an image, the slider spanning the title's
// length, seeking and playing across the boundary of two pieces, and only
// the title's own content where its piece holds other titles too. The
// lengths are counted from the fixtures' packets, not read from the tables.

#include "FakeSoundOutput.h"
#include "FilePath.h"
#include "Fixture.h"
#include "MediaProbe.h"
#include "PlayerProbe.h"
#include "TitleSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <unistd.h>

namespace
{

constexpr int kTimeout = 30000;

using testsupport::dvdFixture;
using testsupport::titleFixture;

QString titleSource(const QString &disc, int title)
{
    return QString::fromStdString(titles::makeTitleSource(
        {filepath::toNative(disc).toStdString(), title, "Preview - Title"}));
}

// What the pictures of title files say, read packet by packet: each title's
// length (a title starts where the timestamps jump back), and the time at
// which the second file starts.
struct Counted {
    std::vector<double> titles; // seconds
    double secondFileAt = -1;
};

Counted countPictures(const QStringList &files)
{
    Counted counted;
    const QJsonObject answer = testsupport::ffprobe(
        "concat:" + files.join(u'|'),
        {"-select_streams", "v", "-show_entries", "stream=r_frame_rate:packet=pts_time,pos"});
    const double rate = testsupport::rateValue(
        testsupport::firstStream(answer).value(QStringLiteral("r_frame_rate")).toString());
    if (rate <= 0)
        return counted;
    const qint64 firstSize = files.size() > 1 ? QFileInfo(files.front()).size() : -1;
    qint64 packets = 0;
    qint64 total = 0;
    double last = -1;
    for (const QJsonValue &value : answer.value(QStringLiteral("packets")).toArray()) {
        const QJsonObject packet = value.toObject();
        bool ok = false;
        const double pts = packet.value(QStringLiteral("pts_time")).toString().toDouble(&ok);
        if (ok && last >= 0 && pts < last - 5) { // a new title
            counted.titles.push_back(double(packets));
            packets = 0;
        }
        if (ok)
            last = pts;
        if (counted.secondFileAt < 0 && firstSize > 0 &&
            packet.value(QStringLiteral("pos")).toString().toLongLong() >= firstSize)
            counted.secondFileAt = double(total);
        ++packets;
        ++total;
    }
    counted.titles.push_back(double(packets));
    for (double &title : counted.titles)
        title /= rate;
    counted.secondFileAt /= rate;
    return counted;
}

bool openTitle(PlayerProbe &probe, const QString &path)
{
    prevkit_setFile(probe.handle, path);
    return QTest::qWaitFor([&] { return probe.hasFrame() && probe.play()->isEnabled(); }, kTimeout);
}

// The frequencies of the sound heard, one per 50 ms stretch that sounds: from
// the time between its first and last zero crossing (a crossing between
// samples of at least a small loudness, so that silence makes none).
QList<double> tonesHeard(FakeSoundOutput::Record &record)
{
    constexpr int kLoud = 200;
    std::lock_guard lock(record.mutex);
    const size_t length = size_t(0.05 * record.rate);
    QList<double> tones;
    for (size_t start = 0; start + length <= record.heard.size(); start += length) {
        int sign = 0;
        int crossings = 0;
        size_t first = 0;
        size_t last = 0;
        for (size_t i = start; i < start + length; ++i) {
            const int sample = record.heard[i];
            if (std::abs(sample) < kLoud)
                continue;
            const int now = sample < 0 ? -1 : 1;
            if (sign != 0 && now != sign) {
                if (crossings++ == 0)
                    first = i;
                last = i;
            }
            sign = now;
        }
        if (crossings >= 10)
            tones << (crossings - 1) / 2.0 / (double(last - first) / record.rate);
    }
    return tones;
}

} // namespace

class TestPrevkitTitles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void playsAcrossThePieces_data();
    void playsAcrossThePieces();
    void showsOnlyItsOwnTitle_data();
    void showsOnlyItsOwnTitle();
    void titleFileInAFolderNotUtf8();
    void playsTheChosenTrack_data();
    void playsTheChosenTrack();
    void cleanup();

private:
    Counted m_big;  // big/: a title over two pieces, then one in the second
    Counted m_ntsc; // ntsc/: three titles in one piece
    QTemporaryDir m_dir;
};

void TestPrevkitTitles::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_big = countPictures({dvdFixture(QStringLiteral("big/VIDEO_TS/VTS_01_1.VOB")),
                           dvdFixture(QStringLiteral("big/VIDEO_TS/VTS_01_2.VOB"))});
    QVERIFY2(m_big.titles.size() == 2 && m_big.secondFileAt > 0, "big/ cannot be counted");
    m_ntsc = countPictures({dvdFixture(QStringLiteral("ntsc/VIDEO_TS/VTS_01_1.VOB"))});
    QVERIFY2(m_ntsc.titles.size() == 3, "ntsc/ cannot be counted");
}

void TestPrevkitTitles::cleanup()
{
    prevkit::setSoundOutputFactory({});
}

void TestPrevkitTitles::playsAcrossThePieces_data()
{
    QTest::addColumn<QString>("disc");
    QTest::newRow("folder") << dvdFixture(QStringLiteral("big"));
    QTest::newRow("image") << titleFixture(QStringLiteral("big.iso"));
}

// The first title of big/ lies in VTS_01_1.VOB and on in VTS_01_2.VOB.
void TestPrevkitTitles::playsAcrossThePieces()
{
    QFETCH(QString, disc);
    const double truth = m_big.titles.front();
    const double boundary = m_big.secondFileAt;
    PlayerProbe probe;
    QVERIFY(openTitle(probe, titleSource(disc, 1)));
    const int length = probe.slider()->maximum();
    QVERIFY2(std::abs(length - truth * 1000) < 1000,
             qPrintable(QStringLiteral("slider %1 ms, counted %2 s").arg(length).arg(truth)));

    // A seek into the second piece lands there.
    const int into = int((boundary + 30) * 1000);
    const QImage shown = probe.picture();
    probe.slider()->setValue(into);
    QTRY_VERIFY_WITH_TIMEOUT(probe.picture() != shown, kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(
        probe.slider()->value() >= into && probe.slider()->value() < into + 100, kTimeout);

    // Played from just before the boundary, the time runs on past it.
    QList<int> positions;
    connect(probe.slider(), &QSlider::valueChanged, this,
            [&positions](int value) { positions << value; });
    const int before = int((boundary - 1.5) * 1000);
    probe.slider()->setValue(before);
    QTRY_VERIFY_WITH_TIMEOUT(std::abs(probe.slider()->value() - before) < 100, kTimeout);
    const QImage start = probe.picture();
    positions.clear();
    probe.play()->click();
    QTRY_VERIFY_WITH_TIMEOUT(probe.slider()->value() > (boundary + 1.5) * 1000, kTimeout);
    probe.play()->click();
    QVERIFY(probe.picture() != start);
    QVERIFY(positions.size() > 50);
    for (int i = 1; i < positions.size(); ++i)
        QVERIFY2(positions[i] > positions[i - 1], qPrintable(QString::number(positions[i])));
}

void TestPrevkitTitles::showsOnlyItsOwnTitle_data()
{
    QTest::addColumn<QString>("disc");
    QTest::newRow("folder") << dvdFixture(QStringLiteral("ntsc"));
    QTest::newRow("image") << dvdFixture(QStringLiteral("ntsc.iso"));
}

// The second of three titles in one piece: its own length and tone (770 Hz;
// its neighbours sound at 550 and 880 Hz), from start to end.
void TestPrevkitTitles::showsOnlyItsOwnTitle()
{
    QFETCH(QString, disc);
    constexpr double kTone = 770;
    const double truth = m_ntsc.titles[1];
    auto record = std::make_shared<FakeSoundOutput::Record>();
    prevkit::setSoundOutputFactory([record] { return std::make_unique<FakeSoundOutput>(record); });

    PlayerProbe probe;
    QVERIFY(openTitle(probe, titleSource(disc, 2)));
    const int length = probe.slider()->maximum();
    QVERIFY2(std::abs(length - truth * 1000) < 500,
             qPrintable(QStringLiteral("slider %1 ms, counted %2 s").arg(length).arg(truth)));
    probe.play()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!probe.playing(), kTimeout);
    QVERIFY2(probe.slider()->value() > length - 500,
             qPrintable(QString::number(probe.slider()->value())));

    const QList<double> tones = tonesHeard(*record);
    // Sound for nearly all of the title, and all of it the title's tone.
    QVERIFY2(tones.size() * 0.05 > truth - 1, qPrintable(QString::number(tones.size())));
    for (const double tone : tones)
        QVERIFY2(std::abs(tone - kTone) < kTone * 0.05, qPrintable(QString::number(tone)));
}

void TestPrevkitTitles::playsTheChosenTrack_data()
{
    QTest::addColumn<std::vector<int>>("audio");
    QTest::addColumn<double>("tone");
    QTest::newRow("default: English, not the commentary") << std::vector<int>{} << 440.0;
    QTest::newRow("French") << std::vector<int>{3} << 660.0;
}

// The film of film/ (title 3): an English commentary at 300 Hz first, then
// English at 440 Hz and French at 660 Hz. The preview plays the track the
// title's job source chooses, as its conversion does.
void TestPrevkitTitles::playsTheChosenTrack()
{
    QFETCH(std::vector<int>, audio);
    QFETCH(double, tone);
    auto record = std::make_shared<FakeSoundOutput::Record>();
    prevkit::setSoundOutputFactory([record] { return std::make_unique<FakeSoundOutput>(record); });
    titles::TitleSource source{testsupport::filmFixture(QStringLiteral("film")).toStdString(), 3,
                               "Preview - Title"};
    source.choice.audio = audio;
    source.choice.language = "en";
    PlayerProbe probe;
    QVERIFY(openTitle(probe, QString::fromStdString(titles::makeTitleSource(source))));
    probe.play()->click();
    QTRY_VERIFY_WITH_TIMEOUT(tonesHeard(*record).size() >= 10, kTimeout);
    probe.play()->click();
    for (const double heard : tonesHeard(*record))
        QVERIFY2(std::abs(heard - tone) < tone * 0.05, qPrintable(QString::number(heard)));
}

// A title file under a folder whose name is Latin-1: found by its bytes,
// and its length still comes from the DVD's tables (its three titles), not
// from its timestamps (the last title's).
void TestPrevkitTitles::titleFileInAFolderNotUtf8()
{
    const QByteArray folder = filepath::toNative(m_dir.path()) + "/caf\xe9";
    QVERIFY(::symlink(filepath::toNative(dvdFixture(QStringLiteral("ntsc"))).constData(),
                      folder.constData()) == 0);
    // A name Qt cannot spell back is not removed with the temporary folder.
    const auto removeLink = qScopeGuard([&folder] { ::unlink(folder.constData()); });
    const QString file = filepath::fromNative(folder + "/VIDEO_TS/VTS_01_1.VOB");
    const double truth = m_ntsc.titles[0] + m_ntsc.titles[1] + m_ntsc.titles[2];
    PlayerProbe probe;
    QVERIFY(openTitle(probe, file));
    const int length = probe.slider()->maximum();
    QVERIFY2(std::abs(length - truth * 1000) < 1000,
             qPrintable(QStringLiteral("slider %1 ms, counted %2 s").arg(length).arg(truth)));
}

QTEST_MAIN(TestPrevkitTitles)
#include "tst_prevkit_titles.moc"
