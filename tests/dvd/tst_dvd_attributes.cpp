// The DVD reader's attribute maps, from the attribute records of the tables.
#include "TableAttributes.h"

#include <QTest>

Q_DECLARE_METATYPE(dvd::AudioCodec)
Q_DECLARE_METATYPE(dvd::AudioContent)
Q_DECLARE_METATYPE(dvd::SubtitleContent)

class TestDvdAttributes : public QObject
{
    Q_OBJECT

private slots:
    void audio_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("substream");
        QTest::addColumn<int>("codeExtension");
        QTest::addColumn<dvd::AudioCodec>("codec");
        QTest::addColumn<int>("streamId");
        QTest::addColumn<dvd::AudioContent>("content");
        using C = dvd::AudioCodec;
        using K = dvd::AudioContent;
        QTest::newRow("AC-3") << 0 << 0 << 1 << C::Ac3 << 0x80 << K::Normal;
        QTest::newRow("AC-3 third, commentary") << 0 << 2 << 3 << C::Ac3 << 0x82 << K::Commentary;
        QTest::newRow("LPCM first") << 4 << 0 << 0 << C::Lpcm << 0xa0 << K::Unspecified;
        QTest::newRow("LPCM second, audio description")
            << 4 << 1 << 2 << C::Lpcm << 0xa1 << K::VisuallyImpaired;
        QTest::newRow("DTS first, second commentary")
            << 6 << 0 << 4 << C::Dts << 0x88 << K::SecondCommentary;
        QTest::newRow("DTS second") << 6 << 1 << 1 << C::Dts << 0x89 << K::Normal;
        QTest::newRow("MPEG-1, reserved kind")
            << 2 << 0 << 5 << C::Mpeg1 << 0x1c0 << K::Unspecified;
        QTest::newRow("MPEG-2 fourth") << 3 << 3 << 1 << C::Mpeg2 << 0x1c3 << K::Normal;
        QTest::newRow("unknown format") << 7 << 1 << 1 << C::Unknown << 0x81 << K::Normal;
    }

    void audio()
    {
        QFETCH(int, format);
        QFETCH(int, substream);
        QFETCH(int, codeExtension);
        audio_attr_t attr{};
        attr.audio_format = format;
        attr.code_extension = std::uint8_t(codeExtension);
        const dvd::AudioStream audio = dvd::audioFrom(attr, substream);
        QTEST(audio.codec, "codec");
        QTEST(audio.streamId, "streamId");
        QTEST(audio.content, "content");
    }

    void subtitle_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<int>("codeExtension");
        QTest::addColumn<int>("substream");
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<dvd::SubtitleContent>("content");
        using K = dvd::SubtitleContent;
        QTest::newRow("normal") << 1 << QByteArray("en") << 1 << 0 << QByteArray("en") << K::Normal;
        QTest::newRow("children's captions")
            << 1 << QByteArray("de") << 7 << 4 << QByteArray("de") << K::ChildrenCaptions;
        QTest::newRow("forced") << 1 << QByteArray("fr") << 9 << 31 << QByteArray("fr")
                                << K::Forced;
        QTest::newRow("commentary")
            << 1 << QByteArray("en") << 13 << 5 << QByteArray("en") << K::Commentary;
        QTest::newRow("children's commentary")
            << 1 << QByteArray("en") << 15 << 6 << QByteArray("en") << K::ChildrenCommentary;
        QTest::newRow("reserved, no language type")
            << 0 << QByteArray("en") << 4 << 7 << QByteArray() << K::Unspecified;
        QTest::newRow("a code that is no language")
            << 1 << QByteArray("E1") << 1 << 2 << QByteArray() << K::Normal;
    }

    void subtitle()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, code);
        QFETCH(int, codeExtension);
        QFETCH(int, substream);
        subp_attr_t attr{};
        attr.type = type;
        attr.lang_code = std::uint16_t(std::uint8_t(code[0]) << 8 | std::uint8_t(code[1]));
        attr.code_extension = std::uint8_t(codeExtension);
        const dvd::SubtitleStream subtitle = dvd::subtitleFrom(attr, substream);
        QTEST(QByteArray::fromStdString(subtitle.language), "language");
        QTEST(subtitle.content, "content");
        QCOMPARE(subtitle.streamId, 0x20 + substream);
    }

    // The stream numbers a chain gives: audio 0 and subpicture 0 both play
    // as number 2 (and subpicture 0 as 3 on a wide picture); the chain does
    // not mark the second streams.
    void streamsOfChain_data()
    {
        QTest::addColumn<int>("aspect");
        QTest::addColumn<bool>("withChain");
        QTest::addColumn<bool>("onlyMarked");
        QTest::addColumn<QList<int>>("audioIds");
        QTest::addColumn<QList<int>>("subtitleIds");
        QTest::newRow("4:3") << 0 << true << false << QList<int>{0xa2, 0x81}
                             << QList<int>{0x22, 0x21};
        QTest::newRow("16:9: the wide number")
            << 3 << true << false << QList<int>{0xa2, 0x81} << QList<int>{0x23, 0x21};
        QTest::newRow("only what the chain marks")
            << 0 << true << true << QList<int>{0xa2} << QList<int>{0x22};
        QTest::newRow("no chain") << 0 << false << true << QList<int>{0xa0, 0x81}
                                  << QList<int>{0x20, 0x21};
    }

    void streamsOfChain()
    {
        QFETCH(int, aspect);
        QFETCH(bool, withChain);
        QFETCH(bool, onlyMarked);
        vtsi_mat_t mat{};
        mat.vts_video_attr.display_aspect_ratio = aspect;
        mat.nr_of_vts_audio_streams = 2;
        mat.vts_audio_attr[0].audio_format = 4; // LPCM
        mat.nr_of_vts_subp_streams = 2;
        pgc_t chain{};
        chain.audio_control[0] = 0x8000 | 2 << 8;
        chain.subp_control[0] = 0x80000000u | 2u << 24 | 3u << 16 | 4u << 8 | 5u;
        chain.palette[3] = 0x00eb8080;
        const pgc_t *given = withChain ? &chain : nullptr;
        QList<int> audioIds;
        for (const dvd::AudioStream &audio : dvd::audioStreams(mat, given, onlyMarked))
            audioIds << audio.streamId;
        QList<int> subtitleIds;
        for (const dvd::SubtitleStream &subtitle : dvd::subtitleStreams(mat, given, onlyMarked))
            subtitleIds << subtitle.streamId;
        QTEST(audioIds, "audioIds");
        QTEST(subtitleIds, "subtitleIds");
        QCOMPARE(dvd::paletteOf(given)[3], withChain ? 0x00eb8080u : 0u);
    }

    // BT.601 limited-range colours and what they show as, within rounding.
    void paletteColours_data()
    {
        QTest::addColumn<uint>("entry");
        QTest::addColumn<uint>("rgb");
        QTest::newRow("white") << 0x00eb8080u << 0xffffffu;
        QTest::newRow("black") << 0x00108080u << 0x000000u;
        QTest::newRow("red") << 0x0051f05au << 0xff0000u;
        QTest::newRow("green") << 0x00912236u << 0x00ff00u;
        QTest::newRow("blue") << 0x00296ef0u << 0x0000ffu;
    }

    void paletteColours()
    {
        QFETCH(uint, entry);
        QFETCH(uint, rgb);
        const std::uint32_t got = dvd::rgbFromPaletteEntry(entry);
        for (int shift : {16, 8, 0}) {
            const int channel = int(got >> shift & 0xff);
            const int expected = int(rgb >> shift & 0xff);
            QVERIFY2(std::abs(channel - expected) <= 2,
                     qPrintable(QString::number(got, 16) + " for " + QString::number(entry, 16)));
        }
    }
};

QTEST_GUILESS_MAIN(TestDvdAttributes)
#include "tst_dvd_attributes.moc"
