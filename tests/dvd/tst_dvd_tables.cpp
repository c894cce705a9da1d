// The DVD reader's pure parts: table times, title file names, the scrambled
// bit, and the probe text the launcher prints from the tables, read back by
// the engine's own parser.
#include "ConvertEng.h"
#include "FileKind.h"
#include "LauncherCommand.h"
#include "PieceLookup.h"
#include "Scrambling.h"
#include "TableProbe.h"
#include "TableTime.h"
#include "TitleInput.h"

#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

dvd::TableTime bcd(int h, int m, int s, int f, int rateBits)
{
    const auto toBcd = [](int v) { return std::uint8_t((v / 10) << 4 | (v % 10)); };
    return {toBcd(h), toBcd(m), toBcd(s), std::uint8_t(rateBits << 6 | toBcd(f))};
}

dvd::PieceInfo samplePiece(std::int64_t durationMs, dvd::VideoStandard standard, int aspectNum,
                           int aspectDen)
{
    dvd::PieceInfo info;
    info.piece.durationMs = durationMs;
    info.piece.sizeBytes = 100 * 1024 * 1024;
    info.video.standard = standard;
    info.video.height = standard == dvd::VideoStandard::Pal ? 576 : 480;
    info.video.aspectNum = aspectNum;
    info.video.aspectDen = aspectDen;
    dvd::AudioStream ac3;
    ac3.codec = dvd::AudioCodec::Ac3;
    ac3.streamId = 0x81;
    ac3.channels = 6;
    dvd::AudioStream mpeg;
    mpeg.codec = dvd::AudioCodec::Mpeg1;
    mpeg.streamId = 0x1c0;
    info.audio = {ac3, mpeg};
    return info;
}

// A pack (2048 bytes) holding one MPEG start code with the given bytes after it.
std::vector<std::uint8_t> packWith(std::initializer_list<std::uint8_t> code)
{
    std::vector<std::uint8_t> pack(2048, 0xff);
    const std::uint8_t header[] = {0, 0, 1, 0xba};
    std::copy(std::begin(header), std::end(header), pack.begin());
    std::copy(code.begin(), code.end(), pack.begin() + 0x40);
    return pack;
}

} // namespace

class TestDvdTables : public QObject
{
    Q_OBJECT

private slots:
    void tableTimes_data()
    {
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("s");
        QTest::addColumn<int>("f");
        QTest::addColumn<int>("rate");
        QTest::addColumn<qint64>("ms");
        QTest::newRow("PAL frames are 40 ms") << 1 << 2 << 3 << 12 << 1 << qint64(3723480);
        // dvdauthor's 11:39 + 9 frames of an NTSC title is 700 s.
        QTest::newRow("NTSC counts 30 a second of 1001/30 ms")
            << 0 << 11 << 39 << 9 << 3 << qint64(699999);
        QTest::newRow("NTSC whole seconds") << 0 << 0 << 30 << 0 << 3 << qint64(30030);
        QTest::newRow("no rate: whole seconds only") << 0 << 0 << 5 << 7 << 0 << qint64(5000);
    }

    void tableTimes()
    {
        QFETCH(int, h);
        QFETCH(int, m);
        QFETCH(int, s);
        QFETCH(int, f);
        QFETCH(int, rate);
        QFETCH(qint64, ms);
        QCOMPARE(dvd::tableTimeMs(bcd(h, m, s, f, rate)), ms);
    }

    void tableTimesThatAreNoBcd()
    {
        QCOMPARE(dvd::tableTimeMs({0x00, 0x6a, 0x00, 0x40}), std::int64_t(0));
        QCOMPARE(dvd::tableTimeMs({0x00, 0x00, 0x60, 0x40}), std::int64_t(0)); // 60 seconds
        QCOMPARE(dvd::tableTimeMs({0xa0, 0x00, 0x00, 0x40}), std::int64_t(0));
    }

    void titleFileNames()
    {
        QVERIFY(dvd::isTitleFileName("/m/VIDEO_TS/VTS_01_1.VOB"));
        QVERIFY(dvd::isTitleFileName("vts_12_9.vob"));
        QVERIFY(!dvd::isTitleFileName("/m/VIDEO_TS/VTS_01_0.VOB")); // the menus
        QVERIFY(!dvd::isTitleFileName("/m/VIDEO_TS/VTS_00_1.VOB"));
        QVERIFY(!dvd::isTitleFileName("/m/VIDEO_TS/VIDEO_TS.VOB"));
        QVERIFY(!dvd::isTitleFileName("/m/VIDEO_TS/VTS_01_1.IFO"));
        QVERIFY(!dvd::isTitleFileName("/m/VIDEO_TS/XVTS_01_1.VOB"));
        QVERIFY(!dvd::isTitleFileName("/m/VTS_01_1.VOB/"));
    }

    void scrambledBit()
    {
        std::uint8_t pack[2048] = {};
        QVERIFY(!dvd::isScrambledPack(pack));
        pack[0x14] = 0x80 | 0x10;
        QVERIFY(dvd::isScrambledPack(pack));
        pack[0x14] = 0x80 | 0x20;
        QVERIFY(dvd::isScrambledPack(pack));
        pack[0x14] = 0xcf;
        QVERIFY(!dvd::isScrambledPack(pack));
    }

    // Both forms of the launcher's own probe (a title file, a whole title)
    // come from one writer; the engine reads their duration and format.
    void probeTextReadsBackInTheEngine_data()
    {
        QTest::addColumn<bool>("wholeTitle");
        QTest::addColumn<bool>("mpeg1");
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("clock");
        QTest::addColumn<int>("seconds");
        for (const bool title : {false, true}) {
            const char *form = title ? "title" : "piece";
            QTest::addRow("%s: hours", form)
                << title << false << qint64(3723480) << "01:02:03.48" << 3723;
            QTest::addRow("%s: rounded to a hundredth", form)
                << title << false << qint64(893206) << "00:14:53.21" << 893;
            QTest::addRow("%s: half a second rounds up", form)
                << title << false << qint64(19500) << "00:00:19.50" << 20;
            QTest::addRow("%s: zero", form) << title << false << qint64(0) << "00:00:00.00" << 0;
            QTest::addRow("%s: MPEG-1", form)
                << title << true << qint64(60000) << "00:01:00.00" << 60;
        }
    }

    void probeTextReadsBackInTheEngine()
    {
        QFETCH(bool, wholeTitle);
        QFETCH(bool, mpeg1);
        QFETCH(qint64, ms);
        QFETCH(QString, clock);
        QFETCH(int, seconds);
        dvd::PieceInfo piece = samplePiece(ms, dvd::VideoStandard::Pal, 16, 9);
        piece.video.mpeg1 = mpeg1;
        const std::string source = wholeTitle ? "dvdtitle:%2Fd:1/T.VOB" : "/d/VTS_01_2.VOB";
        std::string text;
        if (wholeTitle) {
            dvd::Title title;
            title.durationMs = ms;
            title.video = piece.video;
            title.audio = piece.audio;
            text = titleProbeText(source, title);
        } else {
            text = formatTableProbe(source, piece, {});
        }
        const QByteArray bytes = QByteArray::fromStdString(text);
        QVERIFY2(bytes.contains("  Duration: " + clock.toLatin1() + ", start: "),
                 bytes.constData());
        QVERIFY(bytes.startsWith("Input #0, mpeg, from '" + QByteArray::fromStdString(source) +
                                 "':\n"));
        QCOMPARE(ConvertEng::durationFromProbe(bytes), seconds);
        const MediaInfo info = ConvertEng::mediaFromProbe(QString::fromStdString(text));
        QCOMPARE(info.durationText, QStringLiteral(" ") + clock.left(8));
        QCOMPARE(info.formatText, mpeg1 ? QStringLiteral(" MPEG1") : QStringLiteral(" MPEG2"));
    }

    void probeTextStreams()
    {
        const std::string pal =
            formatTableProbe("a.VOB", samplePiece(60000, dvd::VideoStandard::Pal, 16, 9), {});
        QVERIFY2(pal.find("[0x1e0]: Video: mpeg2video (Main), yuv420p(tv), 720x576 [SAR 64:45 "
                          "DAR 16:9], 25 fps, 25 tbr, 90k tbn\n") != std::string::npos,
                 pal.c_str());
        QVERIFY(pal.find("[0x81]: Audio: ac3, 48000 Hz, 5.1(side), fltp\n") != std::string::npos);
        QVERIFY(pal.find("[0x1c0]: Audio: mp2, 48000 Hz, stereo, s16p\n") != std::string::npos);
        // 100 MiB in a minute.
        QVERIFY(pal.find("bitrate: 13981 kb/s") != std::string::npos);

        PackFacts interlaced;
        interlaced.found = true;
        interlaced.progressive = false;
        interlaced.topFieldFirst = true;
        interlaced.startPts = 48600;
        const std::string ntsc = formatTableProbe(
            "b.VOB", samplePiece(60000, dvd::VideoStandard::Ntsc, 4, 3), interlaced);
        QVERIFY2(ntsc.find("yuv420p(tv, top first), 720x480 [SAR 8:9 DAR 4:3], 29.97 fps, 29.97 "
                           "tbr") != std::string::npos,
                 ntsc.c_str());
        QVERIFY(ntsc.find("start: 0.540000,") != std::string::npos);
        QVERIFY(formatTableProbe("c.VOB", samplePiece(0, dvd::VideoStandard::Pal, 4, 3), {})
                    .find("bitrate: N/A") != std::string::npos);
    }

    void packFacts()
    {
        // Sequence extension: progressive_sequence 0; picture coding
        // extension: top_field_first 0.
        std::vector<std::uint8_t> packs = packWith({0, 0, 1, 0xb5, 0x14, 0x82});
        const std::vector<std::uint8_t> picture = packWith({0, 0, 1, 0xb5, 0x8f, 0xff, 0xf3, 0x41});
        packs.insert(packs.end(), picture.begin(), picture.end());
        PackFacts facts = readPackFacts(packs);
        QVERIFY(facts.found);
        QVERIFY(!facts.progressive);
        QVERIFY(!facts.topFieldFirst);

        facts = readPackFacts(packWith({0, 0, 1, 0xb5, 0x14, 0x8a}));
        QVERIFY(facts.found);
        QVERIFY(facts.progressive);
        QVERIFY(!readPackFacts(packWith({0, 0, 1, 0xb3, 0x2d})).found);
        QVERIFY(!readPackFacts({}).found);
    }

    void inputReplacedInTheCommand()
    {
        LauncherCommand command =
            makeLauncherCommand({"-y", "-i", "/d/VTS_01_1.VOB", "-f", "avi", "/o/x.avi"});
        replaceInput(command, {"-i", "/dev/fd/3"});
        QCOMPARE(command.ffmpeg,
                 std::vector<std::string>({"ffmpeg", "-hide_banner", "-y", "-i", "/dev/fd/3", "-af",
                                           "aresample=async=1", "-f", "avi", "/o/x.avi"}));
        QCOMPARE(command.source, std::string("/d/VTS_01_1.VOB"));
    }

    // What opening could block on is refused, by kind; what can be read is not.
    void refusesWhatCouldBlock()
    {
        QTemporaryDir dir;
        const std::string base = dir.path().toStdString();
        const std::string fifo = base + "/VIDEO_TS.IFO";
        QVERIFY(::mkfifo(fifo.c_str(), 0600) == 0);
        const std::string socketPath = base + "/socket";
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
        QVERIFY(fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        const std::string link = base + "/link";
        QVERIFY(::symlink(fifo.c_str(), link.c_str()) == 0);
        QTemporaryFile regular;
        QVERIFY(regular.open());
        const struct {
            std::string path;
            std::string kind; // in the reason; empty when it may be opened
        } cases[] = {{fifo, "a FIFO"},    {socketPath, "a socket"},
                     {link, "a FIFO"},    {"/dev/null", "a device"},
                     {base, ""},          {regular.fileName().toStdString(), ""},
                     {base + "/none", ""}};
        for (const auto &c : cases) {
            const std::string reason = dvd::refusedFileReason(c.path);
            QVERIFY2(c.kind.empty() ? reason.empty() : reason.find(c.kind) != std::string::npos,
                     (c.path + ": " + reason).c_str());
        }
        ::close(fd);
    }
};

QTEST_GUILESS_MAIN(TestDvdTables)
#include "tst_dvd_tables.moc"
