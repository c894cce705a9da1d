// The streams a DVD title's conversion maps, from its tables and the track
// choice, and the stream ids found in its packs.
#include "DiscTypes.h"
#include "StreamScan.h"
#include "TitleStreams.h"

#include <QTest>

namespace
{

// A film as bought discs hold it: a commentary first, the film's English
// AC-3 sound, its French sound in LPCM; English subtitles and French
// forced subtitles.
dvd::Title film()
{
    dvd::Title title;
    const auto audio = [](const char *language, dvd::AudioCodec codec, int id,
                          dvd::AudioContent content) {
        dvd::AudioStream stream;
        stream.language = language;
        stream.codec = codec;
        stream.streamId = id;
        stream.content = content;
        return stream;
    };
    title.audio = {audio("en", dvd::AudioCodec::Ac3, 0x80, dvd::AudioContent::Commentary),
                   audio("en", dvd::AudioCodec::Ac3, 0x81, dvd::AudioContent::Normal),
                   audio("fr", dvd::AudioCodec::Lpcm, 0xa2, dvd::AudioContent::Normal)};
    title.subtitles = {{"en", dvd::SubtitleContent::Normal, 0x20},
                       {"fr", dvd::SubtitleContent::Forced, 0x21}};
    title.palette.fill(0x108080); // black
    return title;
}

QString joined(const std::vector<std::string> &tokens)
{
    QStringList list;
    for (const std::string &token : tokens)
        list << QString::fromStdString(token);
    return list.join(u' ');
}

const char kBlack[] = "-palette 000000,000000,000000,000000,000000,000000,000000,000000,000000,"
                      "000000,000000,000000,000000,000000,000000,000000";

} // namespace

class TestTitleStreams : public QObject
{
    Q_OBJECT

private slots:
    void plans_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<bool>("withoutFrench"); // 0x21 and 0xa2 not found near the start
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QString>("streams");
        QTest::addColumn<QString>("codecs");
        QTest::addColumn<QString>("overlay");
        const auto row = [](const char *name, const char *target, const char *choice,
                            bool withoutFrench, const QString &inputs, const QString &streams,
                            const char *codecs, const char *overlay) {
            QTest::newRow(name) << target << choice << withoutFrench << inputs << streams << codecs
                                << overlay;
        };
        const QString probe = "-probesize 100000000 -analyzeduration 100000000 ";
        const QString black = QString::fromLatin1(kBlack);
        const QString tracks = "-s:s 720x576 " + QString(black).replace("-palette", "-palette:s");
        const QString mkvVideo = "-map 0:v:0 -disposition:v:0 default ";
        row("default into mp4", "t.mp4", "", false, probe + "-forced_subs_only 1 " + black,
            "-map 0:v:0 -map 0:i:0x81 -metadata:s:a:0 language=eng", "", "0:i:0x20");
        row("dv, nothing burned in", "t.dv", ";subtitles=1", false, "",
            "-map 0:v:0 -map 0:i:0x81? -metadata:s:a:0 language=eng", "", "");
        row("two chosen into avi", "t.avi", ";audio=3,2;subtitles=none", false, "",
            "-map 0:v:0 -map 0:i:0xa2? -metadata:s:a:0 language=fre", "", "");
        row("two chosen into mov", "t.MOV", ";audio=3,2;subtitles=1", false, probe + black,
            "-map 0:v:0 -map 0:i:0xa2 -metadata:s:a:0 language=fre "
            "-map 0:i:0x81 -metadata:s:a:1 language=eng",
            "", "0:i:0x20");
        row("French forced stream whole", "t.mp4", ";audio=3", false, probe + black,
            "-map 0:v:0 -map 0:i:0xa2 -metadata:s:a:0 language=fre", "", "0:i:0x21");
        row("French not found near the start", "t.mp4", ";audio=3", true, "", "-map 0:v:0", "", "");
        row("everything into mkv", "t.mkv", "", false, probe + black + " -fflags +genpts",
            mkvVideo +
                "-map 0:i:0x81 -metadata:s:a:0 language=eng -disposition:a:0 default "
                "-map 0:i:0x80 -metadata:s:a:1 language=eng -disposition:a:1 0 "
                "-map 0:i:0xa2 -metadata:s:a:2 language=fre -disposition:a:2 0 "
                "-map 0:i:0x20 -metadata:s:s:0 language=eng -disposition:s:0 0 "
                "-map 0:i:0x21 -metadata:s:s:1 language=fre -disposition:s:1 forced " +
                tracks,
            "-c:a:2 flac", "");
        row("mkv, a stream missing, one shown", "t.mkv", ";audio=2;subtitles=1", true,
            probe + black + " -fflags +genpts",
            mkvVideo +
                "-map 0:i:0x81 -metadata:s:a:0 language=eng -disposition:a:0 default "
                "-map 0:i:0x20 -metadata:s:s:0 language=eng -disposition:s:0 default " +
                tracks,
            "", "");
        row("mkv without subtitles", "t.mkv", ";audio=3;subtitles=none", false, "-fflags +genpts",
            mkvVideo + "-map 0:i:0xa2? -metadata:s:a:0 language=fre -disposition:a:0 default",
            "-c:a:0 flac", "");
    }

    // Which streams go where: tracks by their ids from the tables, each
    // tagged with its language; the subtitles burned in, or in Matroska
    // kept as tracks, with the title's palette and the forced flag.
    void plans()
    {
        QFETCH(QString, target);
        QFETCH(QString, choice);
        QFETCH(bool, withoutFrench);
        const auto parsed = titles::parseChoiceText(choice.toStdString());
        QVERIFY(parsed.has_value());
        const dvd::Title title = film();
        const TargetContainer container = targetContainer(target.toStdString());
        std::set<int> present = {0x1e0, 0x80, 0x81, 0x20};
        if (!withoutFrench)
            present.insert({0xa2, 0x21});
        const bool scan = mapsSubtitles(title, *parsed, container, "en");
        const TitleStreams streams =
            planTitleStreams(title, *parsed, container, "en", scan ? &present : nullptr);
        QTEST(joined(streams.inputOptions), "inputs");
        QTEST(joined(streams.streamOptions), "streams");
        QTEST(joined(streams.codecOptions), "codecs");
        QTEST(QString::fromStdString(streams.overlay), "overlay");
    }

    // Stream ids as ffmpeg names them, from the packets of whole packs.
    void streamIdsFromPacks()
    {
        std::vector<std::uint8_t> packs(3 * 2048, 0);
        const auto pack = [&](int n, std::initializer_list<std::uint8_t> packets) {
            std::uint8_t *p = packs.data() + n * 2048;
            const std::uint8_t header[14] = {0, 0, 1, 0xba, 0x44, 0,    4,
                                             0, 4, 1, 1,    0x89, 0xc3, 0xf8};
            std::copy(std::begin(header), std::end(header), p);
            std::copy(packets.begin(), packets.end(), p + 14);
        };
        // A video packet, then private stream 1 with subtitle stream 0x21.
        pack(0, {0, 0, 1, 0xe0, 0, 3, 0x81, 0, 0, 0, 0, 1, 0xbd, 0, 5, 0x81, 0, 0, 0x21, 0});
        // MPEG audio, and AC-3 substream 0x82 after a PES header of 5 bytes.
        pack(1, {0, 0,  1,    0xc1, 0, 3, 0x81, 0, 0, 0, 0,    1, 0xbd,
                 0, 10, 0x81, 0x80, 5, 0, 0,    0, 0, 0, 0x82, 0});
        // Not a pack: its bytes are not read as one.
        packs[2 * 2048 + 20] = 0xbd;
        std::set<int> ids;
        collectStreamIds(packs.data(), packs.size(), ids);
        QCOMPARE(ids, (std::set<int>{0x1e0, 0x21, 0x1c1, 0x82}));
    }
};

QTEST_GUILESS_MAIN(TestTitleStreams)
#include "tst_titlestreams.moc"
