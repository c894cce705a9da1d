#include "TrackRequest.h"

#include "TrackRule.h"

#include <QStringList>

#include <algorithm>

namespace
{

bool IsLanguage(const QString &strText)
{
    return strText.size() == 2 && strText[0].isLetter() && strText[1].isLetter();
}

// The track number (from 1) that strPart names, or 0.
int AudioTrackNumber(const dvd::Title &title, const QString &strPart)
{
    bool bNumber = false;
    const int nNumber = strPart.toInt(&bNumber);
    if (bNumber)
        return nNumber >= 1 && nNumber <= int(title.audio.size()) ? nNumber : 0;
    if (!IsLanguage(strPart))
        return 0;
    const std::string language = strPart.toLower().toStdString();
    int nFirst = 0;
    for (int i = 0; i < int(title.audio.size()); ++i) {
        const dvd::AudioStream &audio = title.audio[std::size_t(i)];
        if (audio.language != language)
            continue;
        if (titles::isNormalAudio(audio))
            return i + 1;
        if (nFirst == 0)
            nFirst = i + 1;
    }
    return nFirst;
}

int SubtitleStreamNumber(const dvd::Title &title, const QString &strValue)
{
    bool bNumber = false;
    const int nNumber = strValue.toInt(&bNumber);
    if (bNumber)
        return nNumber >= 1 && nNumber <= int(title.subtitles.size()) ? nNumber : 0;
    if (!IsLanguage(strValue))
        return 0;
    const std::string language = strValue.toLower().toStdString();
    for (int i = 0; i < int(title.subtitles.size()); ++i) {
        if (title.subtitles[std::size_t(i)].language == language)
            return i + 1;
    }
    return 0;
}

} // namespace

bool ParseTrackRequest(const dvd::Title &title, const QString &strAudio,
                       const QString &strSubtitles, titles::TrackChoice &choice, QString &strError)
{
    if (!strAudio.trimmed().isEmpty()) {
        choice.audio.clear();
        for (const QString &strRaw : strAudio.split(u',')) {
            const QString strPart = strRaw.trimmed();
            const int nTrack = AudioTrackNumber(title, strPart);
            if (nTrack == 0) {
                strError = QStringLiteral("--audio: title %1 has no audio track '%2'.")
                               .arg(title.number)
                               .arg(strPart);
                return false;
            }
            if (std::count(choice.audio.begin(), choice.audio.end(), nTrack) > 0) {
                strError = QStringLiteral("--audio names track %1 twice.").arg(nTrack);
                return false;
            }
            choice.audio.push_back(nTrack);
        }
    }
    const QString strValue = strSubtitles.trimmed();
    if (strValue.isEmpty())
        return true;
    if (strValue.compare(QStringLiteral("none"), Qt::CaseInsensitive) == 0) {
        choice.subtitles = titles::TrackChoice::Subtitles::None;
        return true;
    }
    const int nStream = SubtitleStreamNumber(title, strValue);
    if (nStream == 0) {
        strError = QStringLiteral("--subtitles: title %1 has no subtitle stream '%2'.")
                       .arg(title.number)
                       .arg(strValue);
        return false;
    }
    choice.subtitles = titles::TrackChoice::Subtitles::Stream;
    choice.subtitleStream = nStream;
    return true;
}
