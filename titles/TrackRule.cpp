#include "TrackRule.h"

#include <algorithm>

namespace titles
{

namespace
{

bool isSubtitleForViewers(const dvd::SubtitleStream &subtitle)
{
    using Content = dvd::SubtitleContent;
    return subtitle.content != Content::Commentary &&
           subtitle.content != Content::LargeCommentary &&
           subtitle.content != Content::ChildrenCommentary;
}

} // namespace

bool isNormalAudio(const dvd::AudioStream &audio)
{
    using Content = dvd::AudioContent;
    return audio.content != Content::VisuallyImpaired && audio.content != Content::Commentary &&
           audio.content != Content::SecondCommentary;
}

int defaultAudioTrack(const std::vector<dvd::AudioStream> &audio, const std::string &language)
{
    int firstNormal = -1;
    for (int i = 0; i < int(audio.size()); ++i) {
        if (!isNormalAudio(audio[i]))
            continue;
        if (audio[i].language == language)
            return i;
        if (firstNormal < 0)
            firstNormal = i;
    }
    if (firstNormal >= 0)
        return firstNormal;
    return audio.empty() ? -1 : 0;
}

std::vector<int> chosenAudioTracks(const std::vector<dvd::AudioStream> &audio,
                                   const TrackChoice &choice, const std::string &fallbackLanguage,
                                   bool everyTrack)
{
    std::vector<int> tracks;
    for (const int number : choice.audio) {
        if (number >= 1 && number <= int(audio.size()) &&
            std::find(tracks.begin(), tracks.end(), number - 1) == tracks.end())
            tracks.push_back(number - 1);
    }
    if (!tracks.empty())
        return tracks;
    const int first =
        defaultAudioTrack(audio, choice.language.empty() ? fallbackLanguage : choice.language);
    if (first < 0)
        return tracks;
    tracks.push_back(first);
    for (int i = 0; everyTrack && i < int(audio.size()); ++i) {
        if (i != first)
            tracks.push_back(i);
    }
    return tracks;
}

SubtitleBurn burnedSubtitles(const std::vector<dvd::SubtitleStream> &subtitles,
                             const TrackChoice &choice, const std::string &audioLanguage)
{
    SubtitleBurn burn;
    switch (choice.subtitles) {
    case TrackChoice::Subtitles::None:
        return burn;
    case TrackChoice::Subtitles::Stream:
        if (choice.subtitleStream >= 1 && choice.subtitleStream <= int(subtitles.size()))
            burn.stream = choice.subtitleStream - 1;
        return burn;
    case TrackChoice::Subtitles::Default:
        break;
    }
    for (int i = 0; i < int(subtitles.size()); ++i) {
        const dvd::SubtitleStream &subtitle = subtitles[i];
        if (subtitle.language != audioLanguage || !isSubtitleForViewers(subtitle))
            continue;
        if (subtitle.content == dvd::SubtitleContent::Forced) {
            burn = {i, false};
            return burn;
        }
        if (burn.stream < 0)
            burn = {i, true};
    }
    return burn;
}

} // namespace titles
