// A DVD title converted through the launcher: one input of exactly the
// title's bytes, whatever pieces it lies in, with its chapters and its first
// audio stream tagged with its language.
#include "TitleTestSupport.h"

#include "ConcatList.h"
#include "Disc.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

using namespace titletest;

namespace
{

QString launcher()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/core/torvane");
}

// Options that keep every frame and cost little: the picture and sound
// copied as they are, or a small picture for the tests that listen.
const QStringList kCopy = {"-vcodec", "copy", "-acodec", "copy"};
const QStringList kSmall = {"-vcodec", "mpeg4", "-vf",  "scale=176:144", "-q:v",     "8",
                            "-acodec", "aac",   "-b:a", "64k",           "-threads", "2"};

// Duration: HH:MM:SS.cc of a probe text, in ms; -1 when there is none.
qint64 probedDurationMs(const QByteArray &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("Duration: (\\d+):(\\d\\d):(\\d\\d)\\.(\\d\\d)"));
    const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(text));
    if (!match.hasMatch())
        return -1;
    return ((match.captured(1).toLongLong() * 60 + match.captured(2).toLongLong()) * 60 +
            match.captured(3).toLongLong()) *
               1000 +
           match.captured(4).toLongLong() * 10;
}

} // namespace

class TstTitleConvertE2e : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void probeGivesTheTablesDurations();
    void titleOverTwoPiecesConvertsWhole();
    void titleSharingAPieceHoldsOnlyItself();
    void defaultAudioTrackFirstWithItsLanguage();
    void imageTitleReadsThroughTheDvdLibrary();
    void hostileFolderName();
    void unknownTitleFails();
    void unreadableSectors_data();
    void unreadableSectors();

private:
    QString convert(const QString &titleSource, const QString &target, const QStringList &options,
                    Run *result = nullptr);
    QTemporaryDir m_out;
};

void TstTitleConvertE2e::initTestCase()
{
    QVERIFY(QFileInfo(launcher()).isExecutable());
    QVERIFY(QFileInfo(dvdFixture(QStringLiteral("big/VIDEO_TS/VTS_01_2.VOB"))).isFile());
    QVERIFY(QFileInfo(titleFixture(QStringLiteral("big.iso"))).isFile());
    QVERIFY(!hostileFolder().isEmpty());
    QVERIFY(m_out.isValid());
}

QString TstTitleConvertE2e::convert(const QString &titleSource, const QString &target,
                                    const QStringList &options, Run *result)
{
    const QString path = m_out.filePath(target);
    QFile::remove(path);
    const Run done =
        run(launcher(), QStringList{"-y", "-i", titleSource} + options + QStringList{path});
    if (result)
        *result = done;
    if (done.exitCode != 0)
        qWarning().noquote() << done.output.right(2000);
    return path;
}

void TstTitleConvertE2e::probeGivesTheTablesDurations()
{
    // The long title over both pieces, the title that follows it in the
    // second piece, the title of the second title set; and an NTSC title.
    const QList<std::tuple<QString, int, qint64>> cases = {
        {dvdFixture(QStringLiteral("big")), 1, kBigTitleFrames * 40},
        {dvdFixture(QStringLiteral("big")), 2, kSecondTitleFrames * 40},
        {dvdFixture(QStringLiteral("big")), 3, kWideTitleFrames * 40},
        {titleFixture(QStringLiteral("big.iso")), 1, kBigTitleFrames * 40},
        {dvdFixture(QStringLiteral("ntsc")), 2, ntscFrames(6) * 1001 / 30},
    };
    for (const auto &[disc, title, expectedMs] : cases) {
        const Run probe = run(launcher(), {"-i", source(disc, title)});
        const qint64 ms = probedDurationMs(probe.output);
        QVERIFY2(std::abs(ms - expectedMs) <= 100,
                 qPrintable(QStringLiteral("%1 title %2: %3 ms").arg(disc).arg(title).arg(ms)));
        QVERIFY(probe.output.contains("Video: mpeg2video"));
    }

    // The tables agree with the video packets of the title's own bytes.
    const dvd::OpenResult opened = dvd::Disc::open(dvdFixture(QStringLiteral("big")).toStdString());
    QVERIFY(opened);
    for (const dvd::Title &title : opened.disc->titles()) {
        QTemporaryFile list;
        QVERIFY(list.open());
        list.write(QByteArray::fromStdString(titles::concatList(title.ranges)));
        list.flush();
        const qint64 packets = videoPackets(QStringLiteral("concatf:") + list.fileName());
        QVERIFY2(std::abs(packets * 40 - title.durationMs) <= 80,
                 qPrintable(QStringLiteral("title %1: %2 packets, %3 ms")
                                .arg(title.number)
                                .arg(packets)
                                .arg(title.durationMs)));
    }
}

void TstTitleConvertE2e::titleOverTwoPiecesConvertsWhole()
{
    const QString target =
        convert(source(dvdFixture(QStringLiteral("big")), 1), QStringLiteral("long.mp4"), kCopy);
    QVERIFY(QFileInfo(target).isFile());
    QVERIFY(std::abs(videoPackets(target) - kBigTitleFrames) <= 2);

    // The chapter marks of the tables (every 5 minutes, where dvdauthor
    // could cut).
    const QList<qint64> starts = chapterStarts(target);
    QCOMPARE(starts.size(), 4);
    for (int i = 0; i < 4; ++i)
        QVERIFY2(std::abs(starts[i] - i * 300000) <= 1000, qPrintable(QString::number(starts[i])));
}

void TstTitleConvertE2e::titleSharingAPieceHoldsOnlyItself()
{
    // The second piece holds the end of the long title (440 Hz) before this
    // one (660 Hz): nothing of it may come along.
    const QString target =
        convert(source(dvdFixture(QStringLiteral("big")), 2), QStringLiteral("second.mp4"), kSmall);
    QVERIFY(std::abs(videoPackets(target) - kSecondTitleFrames) <= 2);
    QVERIFY(std::abs(toneFrequency(target, 0, 1) - kSecondTitleTone) < 15);
    QVERIFY(std::abs(toneFrequency(target, 10.5, 1) - kSecondTitleTone) < 15);
    QCOMPARE(chapterStarts(target).size(), 1);
}

void TstTitleConvertE2e::defaultAudioTrackFirstWithItsLanguage()
{
    // English AC-3 first, German MPEG audio second, both stereo: Matroska
    // keeps both, the default first.
    const QString target =
        convert(source(dvdFixture(QStringLiteral("big")), 3), QStringLiteral("wide.mkv"), kSmall);
    QCOMPARE(audioLanguages(target), (QStringList{QStringLiteral("eng"), QStringLiteral("ger")}));
    QVERIFY(std::abs(toneFrequency(target, 1, 2) - kWideTitleTone) < 15);
    QVERIFY(std::abs(videoPackets(target) - kWideTitleFrames) <= 2);

    // Stereo first, 5.1 second: ffmpeg's own pick would take the 5.1 one.
    const QString channels = convert(source(titleFixture(QStringLiteral("channels")), 1),
                                     QStringLiteral("channels.mp4"), kSmall);
    QCOMPARE(audioLanguages(channels), QStringList{QStringLiteral("eng")});
    QVERIFY(std::abs(toneFrequency(channels, 1, 2) - kChannelsTitleTone) < 15);

    // A container without chapters gets none and still converts.
    const QString avi =
        convert(source(dvdFixture(QStringLiteral("ntsc")), 1), QStringLiteral("ntsc.avi"), kSmall);
    QVERIFY(std::abs(videoPackets(avi) - ntscFrames(8)) <= 2);
    QCOMPARE(audioLanguages(convert(source(dvdFixture(QStringLiteral("ntsc")), 1),
                                    QStringLiteral("ntsc.mp4"), kSmall)),
             QStringList{QStringLiteral("fre")});
}

void TstTitleConvertE2e::imageTitleReadsThroughTheDvdLibrary()
{
    Run result;
    const QString target = convert(source(titleFixture(QStringLiteral("big.iso")), 2),
                                   QStringLiteral("image.mp4"), kSmall, &result);
    QCOMPARE(result.exitCode, 0);
    QVERIFY(std::abs(videoPackets(target) - kSecondTitleFrames) <= 2);
    QVERIFY(std::abs(toneFrequency(target, 5, 1) - kSecondTitleTone) < 15);
}

void TstTitleConvertE2e::hostileFolderName()
{
    const QString disc = hostileFolder();
    QVERIFY(disc.contains(u'\n') && disc.contains(u'\'') && disc.contains(u'$'));
    const Run probe = run(launcher(), {"-i", source(disc, 3)});
    QVERIFY(std::abs(probedDurationMs(probe.output) - ntscFrames(5) * 1001 / 30) <= 100);
    const QString target = convert(source(disc, 3), QStringLiteral("hostile.mp4"), kSmall);
    QVERIFY(std::abs(videoPackets(target) - ntscFrames(5)) <= 2);
}

void TstTitleConvertE2e::unknownTitleFails()
{
    Run result;
    const QString target = convert(source(dvdFixture(QStringLiteral("ntsc")), 9),
                                   QStringLiteral("none.mp4"), kSmall, &result);
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.output.contains("has no title 9"));
    QVERIFY(!QFileInfo::exists(target));
}

// Sectors the reader cannot read: a scratch within the limits is skipped
// and said; more than the limits allow fails the title, whose part is kept
// under a name that says so.
void TstTitleConvertE2e::unreadableSectors_data()
{
    QTest::addColumn<int>("title");
    QTest::addColumn<int>("from");  // sectors after the title's first
    QTest::addColumn<int>("count"); // unreadable sectors
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("kept");
    QTest::newRow("scratch") << 1 << 200000 << 4 << 0 << "torvane: skipped: "
                             << "scratch.mka";
    QTest::newRow("too much") << 2 << 1000 << 2000 << 1 << "torvane: failure: unreadable\n"
                              << "too much (incomplete).mka";
}

void TstTitleConvertE2e::unreadableSectors()
{
    QFETCH(int, title);
    QFETCH(int, from);
    QFETCH(int, count);
    const dvd::OpenResult opened = dvd::Disc::open(dvdFixture(QStringLiteral("big")).toStdString());
    QVERIFY(opened && opened.disc->title(title));
    const std::uint32_t first = opened.disc->title(title)->sectors.front().firstSector + from;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VELKO_READ_THROUGH_DVD"), QStringLiteral("1"));
    environment.insert(QStringLiteral("VELKO_FAIL_SECTORS"),
                       QStringLiteral("1:%1-%2").arg(first).arg(first + count - 1));
    const QString target = m_out.filePath(QString::fromUtf8(QTest::currentDataTag()) + ".mka");
    const Run result = run(launcher(),
                           {"-y", "-i", source(dvdFixture(QStringLiteral("big")), title), "-vn",
                            "-acodec", "copy", target},
                           300000, environment);
    QTEST(result.exitCode, "exitCode");
    QFETCH(QString, line);
    QVERIFY2(result.output.contains(line.toUtf8()), result.output.right(1500).constData());
    QFETCH(QString, kept);
    const QStringList files = QDir(m_out.path())
                                  .entryList({QString::fromUtf8(QTest::currentDataTag()) + "*"},
                                             QDir::Files | QDir::Hidden);
    QCOMPARE(files, QStringList{kept});
}

QTEST_GUILESS_MAIN(TstTitleConvertE2e)
#include "tst_title_convert_e2e.moc"
