// The DVD reader on DVD-Video folders authored by dvdauthor: titles, pieces,
// durations checked against a count of the video packets, reading through
// libdvdread, damaged tables and the scrambling check.
#include "Disc.h"
#include "DvdTestSupport.h"
#include "PieceLookup.h"
#include "Scrambling.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <map>

using namespace dvdtest;

namespace
{

// Within a second of the packet count: a piece boundary lies inside a
// VOBU, which the tables resolve to half a second or so.
constexpr qint64 toleranceMs = 1000;

std::shared_ptr<dvd::Disc> openOrFail(const QString &source)
{
    dvd::OpenResult result = dvd::Disc::open(source.toStdString());
    if (!result)
        qWarning("%s: %s", qPrintable(source), result.message.c_str());
    return result.disc;
}

QByteArray hashOfReader(dvd::SectorReader &reader, qint64 *bytes)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    std::vector<std::uint8_t> buffer;
    *bytes = 0;
    for (;;) {
        const std::int64_t got = reader.read(buffer);
        if (got <= 0)
            return got < 0 ? QByteArray() : hash.result();
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(buffer.data()), qsizetype(got)));
        *bytes += got;
    }
}

QByteArray hashOfFile(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return hash.result();
}

// Checks every title's and every piece's duration against the packets.
void checkDurationsAgainstPackets(const dvd::Disc &disc)
{
    for (const dvd::Title &title : disc.titles()) {
        const qint64 counted = framesToMs(countVideoPackets(title.ranges), title.video.standard);
        QVERIFY2(qAbs(counted - title.durationMs) < toleranceMs,
                 qPrintable(QStringLiteral("title %1: tables %2 ms, packets %3 ms")
                                .arg(title.number)
                                .arg(title.durationMs)
                                .arg(counted)));
    }
    for (const dvd::TitleSet &set : disc.titleSets()) {
        for (const dvd::Piece &piece : set.pieces) {
            const qint64 counted = framesToMs(countVideoPackets(QString::fromStdString(piece.path)),
                                              set.video.standard);
            QVERIFY2(qAbs(counted - piece.durationMs) < toleranceMs,
                     qPrintable(QStringLiteral("%1: tables %2 ms, packets %3 ms")
                                    .arg(QString::fromStdString(piece.path))
                                    .arg(piece.durationMs)
                                    .arg(counted)));
        }
    }
}

} // namespace

class TestDvdReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(dvdFixture("big/VIDEO_TS/VTS_01_2.VOB")), "fixtures missing");
    }

    void titlesOfTheBigDisc()
    {
        const auto disc = openOrFail(dvdFixture("big"));
        QVERIFY(disc);
        const auto &titles = disc->titles();
        QCOMPARE(titles.size(), std::size_t(3));
        QCOMPARE(titles[0].titleSet, 1);
        QCOMPARE(titles[0].titleInSet, 1);
        QCOMPARE(titles[1].titleSet, 1);
        QCOMPARE(titles[1].titleInSet, 2);
        QCOMPARE(titles[2].titleSet, 2);
        QCOMPARE(titles[2].titleInSet, 1);

        // The long title: four chapters about five minutes apart, in two pieces.
        QCOMPARE(titles[0].chapters.size(), std::size_t(4));
        for (std::size_t i = 0; i < titles[0].chapters.size(); ++i)
            QVERIFY(qAbs(titles[0].chapters[i].startMs - qint64(i) * 300000) < 1000);
        QCOMPARE(titles[0].ranges.size(), std::size_t(2));
        QVERIFY(QString::fromStdString(titles[0].ranges[1].path).endsWith("VTS_01_2.VOB"));
        QCOMPARE(titles[0].video.aspectNum, 4);

        // The wide title with two languages.
        const dvd::Title &wide = titles[2];
        QCOMPARE(wide.video.aspectNum, 16);
        QCOMPARE(wide.video.aspectDen, 9);
        QCOMPARE(wide.video.standard, dvd::VideoStandard::Pal);
        QCOMPARE(wide.audio.size(), std::size_t(2));
        QCOMPARE(wide.audio[0].language, std::string("en"));
        QCOMPARE(wide.audio[0].codec, dvd::AudioCodec::Ac3);
        QCOMPARE(wide.audio[0].streamId, 0x80);
        QCOMPARE(wide.audio[0].channels, 2);
        QCOMPARE(wide.audio[1].language, std::string("de"));
        QVERIFY(wide.audio[1].codec == dvd::AudioCodec::Mpeg1 ||
                wide.audio[1].codec == dvd::AudioCodec::Mpeg2);
        QCOMPARE(wide.audio[1].streamId, 0x1c0);
    }

    void piecesAndTheirTitles()
    {
        const auto disc = openOrFail(dvdFixture("big"));
        QVERIFY(disc);
        const dvd::Piece *first = disc->piece(1, 1);
        const dvd::Piece *second = disc->piece(1, 2);
        QVERIFY(first && second);
        QCOMPARE(first->titles, std::vector<int>({1}));
        QCOMPARE(second->titles, std::vector<int>({1, 2}));
        QCOMPARE(qint64(second->firstSector) * dvd::sectorSize, first->sizeBytes);
        QCOMPARE(second->sizeBytes, QFileInfo(QString::fromStdString(second->path)).size());
        QVERIFY(first->sizeBytes > (qint64(1) << 30) - (qint64(1) << 20));

        // Every byte of a piece belongs to exactly one title here.
        std::map<std::string, std::int64_t> covered;
        for (const dvd::Title &title : disc->titles()) {
            for (const dvd::ByteRange &range : title.ranges) {
                QVERIFY(range.start < range.end);
                covered[range.path] += range.end - range.start;
            }
        }
        for (const dvd::TitleSet &set : disc->titleSets()) {
            for (const dvd::Piece &piece : set.pieces)
                QCOMPARE(covered[piece.path], piece.sizeBytes);
        }
    }

    void oneTitleSetOnly()
    {
        dvd::OpenOptions options;
        options.onlyTitleSet = 2;
        const dvd::OpenResult result = dvd::Disc::open(dvdFixture("big").toStdString(), options);
        QVERIFY(result);
        QCOMPARE(result.disc->titleSets().size(), std::size_t(1));
        QCOMPARE(result.disc->titles().size(), std::size_t(1));
        QCOMPARE(result.disc->titles()[0].number, 3);
        QVERIFY(result.disc->piece(2, 1));
        QVERIFY(!result.disc->piece(1, 1));
        // A title set the disc does not have: a disc without titles.
        options.onlyTitleSet = 7;
        const dvd::OpenResult none = dvd::Disc::open(dvdFixture("big").toStdString(), options);
        QVERIFY(none);
        QVERIFY(none.disc->titles().empty());
    }

    void durationsMatchThePacketCount_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("PAL, a title over two pieces") << dvdFixture("big");
        QTest::newRow("NTSC, three titles in a piece") << dvdFixture("ntsc");
        QTest::newRow("damaged IFO files, good BUP copies") << dvdFixture("bup");
        QTest::newRow("the VIDEO_TS folder itself") << dvdFixture("ntsc/VIDEO_TS");
    }

    void durationsMatchThePacketCount()
    {
        QFETCH(QString, source);
        const auto disc = openOrFail(source);
        QVERIFY(disc);
        QVERIFY(!disc->titles().empty());
        checkDurationsAgainstPackets(*disc);
    }

    void ntscTitlesInOnePiece()
    {
        const auto disc = openOrFail(dvdFixture("ntsc"));
        QVERIFY(disc);
        QCOMPARE(disc->titles().size(), std::size_t(3));
        const dvd::Piece *piece = disc->piece(1, 1);
        QVERIFY(piece);
        QCOMPARE(piece->titles, std::vector<int>({1, 2, 3}));
        const dvd::Title &first = disc->titles()[0];
        QCOMPARE(first.video.standard, dvd::VideoStandard::Ntsc);
        QCOMPARE(first.video.height, 480);
        QCOMPARE(first.chapters.size(), std::size_t(2));
        QCOMPARE(first.audio.at(0).language, std::string("fr"));
    }

    void isoImageReadsLikeItsFolder()
    {
        const auto image = openOrFail(dvdFixture("ntsc.iso"));
        const auto folder = openOrFail(dvdFixture("ntsc"));
        QVERIFY(image && folder);
        QCOMPARE(image->titles().size(), folder->titles().size());
        for (std::size_t i = 0; i < image->titles().size(); ++i) {
            const dvd::Title &title = image->titles()[i];
            // The image's pieces have no path of their own: count the
            // packets of the same bytes in the folder.
            const qint64 counted =
                framesToMs(countVideoPackets(folder->titles()[i].ranges), dvd::VideoStandard::Ntsc);
            QVERIFY2(qAbs(counted - title.durationMs) < toleranceMs,
                     qPrintable(QString::number(title.durationMs)));
            qint64 bytes = 0;
            auto fromImage = image->openTitle(title.number);
            QVERIFY(fromImage);
            const QByteArray hash = hashOfReader(*fromImage, &bytes);
            const dvd::ByteRange &range = folder->titles()[i].ranges.at(0);
            QCOMPARE(bytes, range.end - range.start);
            QCOMPARE(hash, QCryptographicHash::hash(readBytes(QString::fromStdString(range.path),
                                                              range.start, range.end),
                                                    QCryptographicHash::Sha1));
        }
    }

    void readerGivesTheFileBytes()
    {
        const auto disc = openOrFail(dvdFixture("big"));
        QVERIFY(disc);
        // A whole piece.
        const dvd::Piece *second = disc->piece(1, 2);
        auto reader = disc->openPiece(1, 2);
        QVERIFY(reader);
        QCOMPARE(reader->totalBytes(), second->sizeBytes);
        qint64 bytes = 0;
        const QByteArray hash = hashOfReader(*reader, &bytes);
        QCOMPARE(bytes, second->sizeBytes);
        QCOMPARE(hash, hashOfFile(QString::fromStdString(second->path)));

        // A title that starts inside a piece.
        const dvd::Title *title = disc->title(2);
        QVERIFY(title);
        auto titleReader = disc->openTitle(2);
        QVERIFY(titleReader);
        const dvd::ByteRange &range = title->ranges.at(0);
        QVERIFY(range.start > 0);
        const QByteArray titleHash = hashOfReader(*titleReader, &bytes);
        QCOMPARE(bytes, range.end - range.start);
        QCOMPARE(titleHash, QCryptographicHash::hash(readBytes(QString::fromStdString(range.path),
                                                               range.start, range.end),
                                                     QCryptographicHash::Sha1));
        QVERIFY(!disc->openTitle(99));
        QVERIFY(!disc->openPiece(1, 9));
    }

    void sourcesWithoutReadableTables()
    {
        QTemporaryDir dir;
        QVERIFY(
            QFile::copy(dvdFixture("ntsc/VIDEO_TS/VTS_01_1.VOB"), dir.filePath("VTS_01_1.VOB")));
        const struct {
            QString source;
            dvd::OpenError error;
        } cases[] = {
            {dvdFixture("noifo"), dvd::OpenError::NoTables},
            {dir.path(), dvd::OpenError::NoTables},
            {dvdFixture("broken"), dvd::OpenError::Damaged},
            {dir.filePath("missing"), dvd::OpenError::NotFound},
        };
        for (const auto &c : cases) {
            const dvd::OpenResult result = dvd::Disc::open(c.source.toStdString());
            QVERIFY2(!result, qPrintable(c.source));
            QCOMPARE(result.error, c.error);
            QVERIFY(!result.message.empty());
        }
        // A file that is no DVD image at all.
        const dvd::OpenResult loose = dvd::Disc::open(dir.filePath("VTS_01_1.VOB").toStdString());
        QVERIFY(!loose);
        QVERIFY(loose.error == dvd::OpenError::NoTables ||
                loose.error == dvd::OpenError::Unreadable);
    }

    void lookUpPieceFindsItsDisc()
    {
        const auto info = dvd::lookUpPiece(dvdFixture("big/VIDEO_TS/VTS_01_2.VOB").toStdString());
        QVERIFY(info);
        QCOMPARE(info->piece.titleSet, 1);
        QCOMPARE(info->piece.number, 2);
        QCOMPARE(info->piece.titles, std::vector<int>({1, 2}));
        QCOMPARE(info->audio.size(), std::size_t(1));
        const auto wide = dvd::lookUpPiece(dvdFixture("big/VIDEO_TS/VTS_02_1.VOB").toStdString());
        QVERIFY(wide);
        QCOMPARE(wide->video.aspectNum, 16);
        QCOMPARE(wide->audio.size(), std::size_t(2));

        QTemporaryDir dir;
        QVERIFY(
            QFile::copy(dvdFixture("ntsc/VIDEO_TS/VTS_01_1.VOB"), dir.filePath("VTS_01_1.VOB")));
        QVERIFY(!dvd::lookUpPiece(dir.filePath("VTS_01_1.VOB").toStdString()));
        QVERIFY(!dvd::lookUpPiece(dvdFixture("broken/VIDEO_TS/VTS_01_1.VOB").toStdString()));
        QVERIFY(!dvd::lookUpPiece(dvdFixture("noifo/VIDEO_TS/VTS_01_1.VOB").toStdString()));
        // Not a title file: the menu piece, the tables themselves.
        QVERIFY(!dvd::lookUpPiece(dvdFixture("ntsc/VIDEO_TS/VIDEO_TS.IFO").toStdString()));
        // A piece the tables do not list, beside ones they do.
        QTemporaryDir copy;
        for (const char *name :
             {"VIDEO_TS.IFO", "VIDEO_TS.BUP", "VTS_01_0.IFO", "VTS_01_0.BUP", "VTS_01_1.VOB"})
            QVERIFY(QFile::copy(dvdFixture(QStringLiteral("ntsc/VIDEO_TS/") + name),
                                copy.filePath(name)));
        QVERIFY(
            QFile::copy(dvdFixture("ntsc/VIDEO_TS/VTS_01_1.VOB"), copy.filePath("VTS_01_5.VOB")));
        QVERIFY(dvd::lookUpPiece(copy.filePath("VTS_01_1.VOB").toStdString()));
        QVERIFY(!dvd::lookUpPiece(copy.filePath("VTS_01_5.VOB").toStdString()));
        QVERIFY(!dvd::lookUpPiece(copy.filePath("VTS_02_1.VOB").toStdString()));
    }

    void scrambledPacksAreFound()
    {
        QTemporaryDir dir;
        const QString plain = dvdFixture("ntsc/VIDEO_TS/VTS_01_1.VOB");
        QByteArray packs = readBytes(plain, 0, 64 * 2048);
        QCOMPARE(packs.size(), 64 * 2048);
        // Mark the video packs scrambled, as a CSS disc's are.
        int marked = 0;
        for (int i = 0; i < 64; ++i) {
            char *pack = packs.data() + i * 2048;
            if (quint8(pack[0x11]) == 0xe0) {
                pack[0x14] = char(quint8(pack[0x14]) | 0x10);
                ++marked;
            }
        }
        QVERIFY(marked > 0);
        const QString scrambled = dir.filePath("VTS_01_1.VOB");
        QFile out(scrambled);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(packs);
        out.close();

        QCOMPARE(dvd::checkTitleFile(plain.toStdString()), dvd::ScrambleState::Clear);
        QCOMPARE(dvd::checkTitleFile(scrambled.toStdString()), dvd::ScrambleState::Scrambled);
        QCOMPARE(dvd::checkTitleFile(dir.filePath("none.VOB").toStdString()),
                 dvd::ScrambleState::Unreadable);

        const dvd::ScrambleReport report =
            dvd::checkTitleFiles({plain.toStdString(), scrambled.toStdString()});
        QCOMPARE(report.scrambled, std::vector<std::string>({scrambled.toStdString()}));
        QCOMPARE(report.decryption, dvd::decryptionAvailable());
        QCOMPARE(report.needsDecryption(), !dvd::decryptionAvailable());
        QVERIFY(dvd::checkTitleFiles({plain.toStdString()}).scrambled.empty());
    }
};

QTEST_GUILESS_MAIN(TestDvdReader)
#include "tst_dvd_reader_e2e.moc"
