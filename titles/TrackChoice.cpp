#include "TrackChoice.h"

#include <algorithm>
#include <charconv>

namespace titles
{

namespace
{

// A title set holds at most 8 audio streams and 32 subtitle streams.
constexpr int kMaxAudioTracks = 8;
constexpr int kMaxSubtitleStreams = 32;

const std::string kAudioKey = "audio=";
const std::string kLanguageKey = "lang=";
const std::string kSubtitlesKey = "subtitles=";
const std::string kNoSubtitles = "none";

bool startsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// A whole decimal number in [1, max], or nothing.
std::optional<int> numberIn(const std::string &text, int max)
{
    int value = 0;
    const char *last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (text.empty() || error != std::errc() || end != last || value < 1 || value > max)
        return std::nullopt;
    return value;
}

bool isLanguage(const std::string &text)
{
    return text.size() == 2 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

bool parseAudio(const std::string &list, TrackChoice &choice)
{
    for (const std::string &part : split(list, ',')) {
        const std::optional<int> track = numberIn(part, kMaxAudioTracks);
        if (!track || std::count(choice.audio.begin(), choice.audio.end(), *track) > 0)
            return false;
        choice.audio.push_back(*track);
    }
    return !choice.audio.empty();
}

bool parseSubtitles(const std::string &value, TrackChoice &choice)
{
    if (value == kNoSubtitles) {
        choice.subtitles = TrackChoice::Subtitles::None;
        return true;
    }
    const std::optional<int> stream = numberIn(value, kMaxSubtitleStreams);
    if (!stream)
        return false;
    choice.subtitles = TrackChoice::Subtitles::Stream;
    choice.subtitleStream = *stream;
    return true;
}

} // namespace

std::string choiceText(const TrackChoice &choice)
{
    std::string text;
    if (!choice.audio.empty()) {
        text += ';' + kAudioKey;
        for (std::size_t i = 0; i < choice.audio.size(); ++i)
            text += (i ? "," : "") + std::to_string(choice.audio[i]);
    }
    if (!choice.language.empty())
        text += ';' + kLanguageKey + choice.language;
    if (choice.subtitles == TrackChoice::Subtitles::None)
        text += ';' + kSubtitlesKey + kNoSubtitles;
    else if (choice.subtitles == TrackChoice::Subtitles::Stream)
        text += ';' + kSubtitlesKey + std::to_string(choice.subtitleStream);
    return text;
}

std::optional<TrackChoice> parseChoiceText(const std::string &text)
{
    TrackChoice choice;
    if (text.empty())
        return choice;
    if (text.front() != ';')
        return std::nullopt;
    bool seenAudio = false, seenLanguage = false, seenSubtitles = false;
    for (const std::string &part : split(text.substr(1), ';')) {
        bool ok = false;
        if (startsWith(part, kAudioKey) && !seenAudio) {
            seenAudio = true;
            ok = parseAudio(part.substr(kAudioKey.size()), choice);
        } else if (startsWith(part, kLanguageKey) && !seenLanguage) {
            seenLanguage = true;
            choice.language = part.substr(kLanguageKey.size());
            ok = isLanguage(choice.language);
        } else if (startsWith(part, kSubtitlesKey) && !seenSubtitles) {
            seenSubtitles = true;
            ok = parseSubtitles(part.substr(kSubtitlesKey.size()), choice);
        }
        if (!ok)
            return std::nullopt;
    }
    return choice;
}

std::string localeLanguage(const std::string &localeName)
{
    std::string language;
    for (const char c : localeName) {
        if (c < 'a' || c > 'z')
            break;
        language += c;
    }
    return language.size() == 2 ? language : "en";
}

} // namespace titles
