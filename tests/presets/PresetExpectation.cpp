#include "PresetExpectation.h"

#include <QHash>

namespace
{

// ffprobe's codec names for encoder names that differ from them.
QString codecOfEncoder(const QString &encoder)
{
    static const QHash<QString, QString> names = {
        {"libx264", "h264"},     {"libxvid", "mpeg4"},     {"libvpx", "vp8"},
        {"libvpx-vp9", "vp9"},   {"msmpeg4", "msmpeg4v3"}, {"libmp3lame", "mp3"},
        {"libvo_aacenc", "aac"}, {"libvorbis", "vorbis"},
    };
    return names.value(encoder, encoder);
}

// The video codec a muxer picks when the options name none (with this
// machine's ffmpeg, which has libx264).
QString defaultVideoCodec(const QString &format)
{
    static const QHash<QString, QString> codecs = {
        {"mov", "h264"},        {"mp4", "h264"},        {"ipod", "h264"},
        {"m4v", "h264"},        {"3gp", "h263"},        {"avi", "mpeg4"},
        {"asf", "msmpeg4v3"},   {"wmv", "msmpeg4v3"},   {"dvd", "mpeg2video"},
        {"vob", "mpeg2video"},  {"svcd", "mpeg2video"}, {"vcd", "mpeg1video"},
        {"mpeg", "mpeg1video"}, {"mpg", "mpeg1video"},  {"dv", "dvvideo"},
        {"webm", "vp9"},
    };
    return codecs.value(format);
}

QString targetKind(const QString &target)
{
    return target.mid(target.indexOf(u'-') + 1);
}

} // namespace

PresetExpectation expectationFor(const QString &arguments, const QString &extension)
{
    PresetExpectation expected;
    static const QHash<QString, QString> formats = {
        {"avi", "avi"},  {"mp4", "mp4"}, {"m4v", "mp4"},   {"mov", "mov"}, {"3gp", "3gp"},
        {"mpg", "mpeg"}, {"dv", "dv"},   {"webm", "webm"}, {"wmv", "asf"}, {"mkv", "matroska"},
    };
    expected.format = formats.value(extension, extension);
    if (extension == u"mp4")
        expected.brands = QStringList{"isom", "mp41", "mp42"};
    else if (extension == u"m4v")
        expected.brands = QStringList{"M4V "};
    else if (extension == u"mov")
        expected.brands = QStringList{"qt  "};
    else if (extension == u"3gp")
        expected.brands = QStringList{"3gp4", "3gp5", "3gp6"};

    QString video;
    QString format;
    const QStringList tokens = arguments.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i + 1 < tokens.size(); ++i) {
        const QString &option = tokens[i];
        const QString &value = tokens[i + 1];
        if (option == u"-vcodec" || option == u"-c:v") {
            video = codecOfEncoder(value);
        } else if (option == u"-acodec" || option == u"-c:a") {
            expected.audioCodec = codecOfEncoder(value);
        } else if (option == u"-f") {
            format = value;
        } else if (option == u"-target") {
            const QString kind = targetKind(value);
            if (kind == u"dvd" || kind == u"svcd") {
                video = QStringLiteral("mpeg2video");
                expected.audioCodec = QString::fromLatin1(kind == u"dvd" ? "ac3" : "mp2");
            } else if (kind == u"vcd") {
                video = QStringLiteral("mpeg1video");
                expected.audioCodec = QStringLiteral("mp2");
            } else if (kind == u"dv" || kind == u"dv50") {
                video = QStringLiteral("dvvideo");
                expected.audioCodec = QStringLiteral("pcm_s16le");
            }
        }
    }
    expected.audio = !tokens.contains(QStringLiteral("-an"));
    if (!expected.audio)
        expected.audioCodec.clear();
    expected.videoCodec = !video.isEmpty()    ? video
                          : !format.isEmpty() ? defaultVideoCodec(format)
                                              : defaultVideoCodec(extension);
    return expected;
}
