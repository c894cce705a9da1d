#include "TrackTexts.h"

#include "DiscTitles.h"
#include "TrackRule.h"

#include <QStringList>

QString AudioCodecName(dvd::AudioCodec codec)
{
    switch (codec) {
    case dvd::AudioCodec::Ac3:
        return QStringLiteral("AC-3");
    case dvd::AudioCodec::Mpeg1:
    case dvd::AudioCodec::Mpeg2:
        return QStringLiteral("MPEG audio");
    case dvd::AudioCodec::Lpcm:
        return QStringLiteral("LPCM");
    case dvd::AudioCodec::Dts:
        return QStringLiteral("DTS");
    case dvd::AudioCodec::Unknown:
        break;
    }
    return QStringLiteral("unknown codec");
}

QString AudioKindText(dvd::AudioContent content)
{
    switch (content) {
    case dvd::AudioContent::VisuallyImpaired:
        return QStringLiteral("audio description");
    case dvd::AudioContent::Commentary:
    case dvd::AudioContent::SecondCommentary:
        return QStringLiteral("commentary");
    case dvd::AudioContent::Unspecified:
    case dvd::AudioContent::Normal:
        break;
    }
    return {};
}

QString SubtitleKindText(dvd::SubtitleContent content)
{
    using Content = dvd::SubtitleContent;
    switch (content) {
    case Content::Large:
        return QStringLiteral("large");
    case Content::Children:
        return QStringLiteral("for children");
    case Content::NormalCaptions:
        return QStringLiteral("closed captions");
    case Content::LargeCaptions:
        return QStringLiteral("large closed captions");
    case Content::ChildrenCaptions:
        return QStringLiteral("closed captions for children");
    case Content::Forced:
        return QStringLiteral("forced");
    case Content::Commentary:
        return QStringLiteral("commentary");
    case Content::LargeCommentary:
        return QStringLiteral("large commentary");
    case Content::ChildrenCommentary:
        return QStringLiteral("commentary for children");
    case Content::Unspecified:
    case Content::Normal:
        break;
    }
    return {};
}

QString AudioTrackText(const dvd::AudioStream &audio, int nNumber)
{
    QString strText =
        QStringLiteral("%1: %2 %3 %4 ch")
            .arg(nNumber)
            .arg(LanguageName(QString::fromStdString(audio.language)), AudioCodecName(audio.codec))
            .arg(audio.channels);
    const QString strKind = AudioKindText(audio.content);
    return strKind.isEmpty() ? strText : strText + u' ' + strKind;
}

QString SubtitleStreamText(const dvd::SubtitleStream &subtitle, int nNumber)
{
    const QString strText = QStringLiteral("%1: %2").arg(nNumber).arg(
        LanguageName(QString::fromStdString(subtitle.language)));
    const QString strKind = SubtitleKindText(subtitle.content);
    return strKind.isEmpty() ? strText : strText + u' ' + strKind;
}

namespace
{
QString ListLanguage(const std::string &language)
{
    return language.empty() ? QStringLiteral("und") : QString::fromStdString(language);
}
} // namespace

QString AudioListText(const dvd::AudioStream &audio, int nNumber)
{
    QStringList details = {AudioCodecName(audio.codec),
                           QStringLiteral("%1 ch").arg(audio.channels)};
    if (const QString strKind = AudioKindText(audio.content); !strKind.isEmpty())
        details << strKind;
    return QStringLiteral("%1 %2 (%3)")
        .arg(nNumber)
        .arg(ListLanguage(audio.language), details.join(u", "));
}

QString SubtitleListText(const dvd::SubtitleStream &subtitle, int nNumber)
{
    const QString strText =
        QStringLiteral("%1 %2").arg(nNumber).arg(ListLanguage(subtitle.language));
    const QString strKind = SubtitleKindText(subtitle.content);
    return strKind.isEmpty() ? strText : strText + QStringLiteral(" (") + strKind + u')';
}

QString TrackListText(const dvd::Title &title)
{
    QStringList audio;
    for (int i = 0; i < int(title.audio.size()); ++i)
        audio << AudioTrackText(title.audio[std::size_t(i)], i + 1);
    QStringList subtitles;
    for (int i = 0; i < int(title.subtitles.size()); ++i)
        subtitles << SubtitleStreamText(title.subtitles[std::size_t(i)], i + 1);
    const QString strAudio =
        audio.isEmpty() ? QStringLiteral("no audio") : QStringLiteral("audio ") + audio.join(u", ");
    if (subtitles.isEmpty())
        return strAudio;
    return strAudio + QStringLiteral("; subtitles ") + subtitles.join(u", ");
}

QString TrackChoiceText(const dvd::Title &title, const titles::TrackChoice &choice)
{
    const std::vector<int> tracks = titles::chosenAudioTracks(title.audio, choice, "en", false);
    QStringList numbers;
    for (const int nTrack : tracks)
        numbers << QString::number(nTrack + 1);
    const QString strAudio = numbers.isEmpty() ? QStringLiteral("no audio")
                                               : QStringLiteral("audio ") + numbers.join(u", ");
    const std::string language =
        tracks.empty() ? std::string() : title.audio[std::size_t(tracks.front())].language;
    const titles::SubtitleBurn burn = titles::burnedSubtitles(title.subtitles, choice, language);
    QString strSubtitles = QStringLiteral("no subtitles");
    if (burn.stream >= 0 && burn.forcedOnly)
        strSubtitles = QStringLiteral("forced %1 subtitles")
                           .arg(LanguageName(QString::fromStdString(language)));
    else if (burn.stream >= 0)
        strSubtitles = QStringLiteral("subtitles %1 burned in").arg(burn.stream + 1);
    return strAudio + QStringLiteral(", ") + strSubtitles;
}
