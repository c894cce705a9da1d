// The DVD reader's attribute maps, from the attribute records of the tables.
#include "TableAttributes.h"

#include <QTest>

Q_DECLARE_METATYPE(dvd::AudioCodec)

namespace
{

std::uint16_t code(const char *language)
{
    return std::uint16_t(std::uint8_t(language[0]) << 8 | std::uint8_t(language[1]));
}

} // namespace

class TestDvdAttributes : public QObject
{
    Q_OBJECT

private slots:
    void audio_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("substream");
        QTest::addColumn<int>("langType");
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<int>("channelBits");
        QTest::addColumn<int>("frequency");
        QTest::addColumn<dvd::AudioCodec>("codec");
        QTest::addColumn<int>("streamId");
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("rate");
        using C = dvd::AudioCodec;
        QTest::newRow("AC-3 5.1") << 0 << 0 << 1 << QByteArray("en") << 5 << 0 << C::Ac3 << 0x80
                                  << QByteArray("en") << 6 << 48000;
        QTest::newRow("AC-3 third") << 0 << 2 << 1 << QByteArray("fr") << 1 << 0 << C::Ac3 << 0x82
                                    << QByteArray("fr") << 2 << 48000;
        QTest::newRow("LPCM first") << 4 << 0 << 1 << QByteArray("de") << 1 << 1 << C::Lpcm << 0xa0
                                    << QByteArray("de") << 2 << 96000;
        QTest::newRow("LPCM second") << 4 << 1 << 1 << QByteArray("de") << 1 << 0 << C::Lpcm << 0xa1
                                     << QByteArray("de") << 2 << 48000;
        QTest::newRow("DTS first") << 6 << 0 << 1 << QByteArray("en") << 5 << 0 << C::Dts << 0x88
                                   << QByteArray("en") << 6 << 48000;
        QTest::newRow("DTS second") << 6 << 1 << 1 << QByteArray("en") << 5 << 0 << C::Dts << 0x89
                                    << QByteArray("en") << 6 << 48000;
        QTest::newRow("MPEG-1") << 2 << 0 << 1 << QByteArray("it") << 1 << 0 << C::Mpeg1 << 0x1c0
                                << QByteArray("it") << 2 << 48000;
        QTest::newRow("MPEG-2 fourth") << 3 << 3 << 1 << QByteArray("es") << 1 << 0 << C::Mpeg2
                                       << 0x1c3 << QByteArray("es") << 2 << 48000;
        QTest::newRow("unknown format, no language")
            << 7 << 1 << 0 << QByteArray("en") << 0 << 0 << C::Unknown << 0x81 << QByteArray() << 1
            << 48000;
        QTest::newRow("a code that is no language") << 0 << 0 << 1 << QByteArray("E1") << 1 << 0
                                                    << C::Ac3 << 0x80 << QByteArray() << 2 << 48000;
    }

    void audio()
    {
        QFETCH(int, format);
        QFETCH(int, substream);
        QFETCH(int, langType);
        QFETCH(QByteArray, lang);
        QFETCH(int, channelBits);
        QFETCH(int, frequency);
        audio_attr_t attr{};
        attr.audio_format = format;
        attr.lang_type = langType;
        attr.lang_code = code(lang.constData());
        attr.channels = channelBits;
        attr.sample_frequency = frequency;
        const dvd::AudioStream audio = dvd::audioFrom(attr, substream);
        QTEST(audio.codec, "codec");
        QTEST(audio.streamId, "streamId");
        QTEST(QByteArray::fromStdString(audio.language), "language");
        QTEST(audio.channels, "channels");
        QTEST(audio.sampleRate, "rate");
    }

    void video_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("aspect");
        QTest::addColumn<int>("mpeg");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("aspectNum");
        QTest::addColumn<bool>("mpeg1");
        QTest::newRow("PAL 16:9") << 1 << 0 << 3 << 1 << 720 << 576 << 16 << false;
        QTest::newRow("NTSC 4:3") << 0 << 0 << 0 << 1 << 720 << 480 << 4 << false;
        QTest::newRow("PAL 704") << 1 << 1 << 0 << 1 << 704 << 576 << 4 << false;
        QTest::newRow("NTSC half D1") << 0 << 2 << 0 << 1 << 352 << 480 << 4 << false;
        QTest::newRow("PAL SIF, MPEG-1") << 1 << 3 << 0 << 0 << 352 << 288 << 4 << true;
    }

    void video()
    {
        QFETCH(int, format);
        QFETCH(int, size);
        QFETCH(int, aspect);
        QFETCH(int, mpeg);
        video_attr_t attr{};
        attr.video_format = format;
        attr.picture_size = size;
        attr.display_aspect_ratio = aspect;
        attr.mpeg_version = mpeg;
        const dvd::VideoInfo video = dvd::videoFrom(attr);
        QTEST(video.width, "width");
        QTEST(video.height, "height");
        QTEST(video.aspectNum, "aspectNum");
        QCOMPARE(video.aspectDen, video.aspectNum == 16 ? 9 : 3);
        QTEST(video.mpeg1, "mpeg1");
    }
};

QTEST_GUILESS_MAIN(TestDvdAttributes)
#include "tst_dvd_attributes.moc"
