#pragma once

#include <optional>
#include <string>
#include <vector>

namespace titles
{

// Which audio tracks and which subtitles of a DVD title are converted and
// previewed. It travels inside the title's job source, so the engine, the
// launcher and the preview all see one and the same choice. A choice left
// at its defaults means "the default": the default audio track (see
// TrackRule.h) and the forced subtitles of its language.
struct TrackChoice {
    enum class Subtitles {
        Default, // the forced subtitles of the first chosen track's language
        None,    // no subtitles at all
        Stream,  // the subtitle stream `subtitleStream`
    };

    // Audio track numbers from 1 in the tables' order, in the order they are
    // to come out; empty for the default.
    std::vector<int> audio;
    // The language (ISO 639-1) the default audio track is looked for in;
    // empty for the desktop's language.
    std::string language;
    Subtitles subtitles = Subtitles::Default;
    int subtitleStream = 0; // subtitle stream number from 1, for Subtitles::Stream

    bool isDefault() const
    {
        return audio.empty() && language.empty() && subtitles == Subtitles::Default;
    }
    bool operator==(const TrackChoice &other) const = default;
};

// The choice as the text a job source carries after the title number:
// ";audio=2,1;lang=fr;subtitles=none" (each part only when it is not the
// default; subtitles is "none" or a stream number). Empty for the default.
std::string choiceText(const TrackChoice &choice);

// The choice of such a text, or nothing when any part of it is malformed:
// an unknown key, a number out of range, a track named twice.
std::optional<TrackChoice> parseChoiceText(const std::string &text);

// The two-letter language of a locale name such as "fr_FR.UTF-8" or "de";
// "en" for "C", "POSIX", an empty name or anything else without one.
std::string localeLanguage(const std::string &localeName);

} // namespace titles
