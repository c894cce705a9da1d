#pragma once

#include "DiscTypes.h"
#include "TrackChoice.h"

#include <string>
#include <vector>

namespace titles
{

// Whether an audio track is the film's own sound: anything but a
// commentary or an audio description.
bool isNormalAudio(const dvd::AudioStream &audio);

// Position (from 0) of the default audio track: the first normal track in
// language, else the first normal track, else the first track; -1 for a
// title without audio. A commentary or an audio description is never the
// default while a normal track exists.
int defaultAudioTrack(const std::vector<dvd::AudioStream> &audio, const std::string &language);

// Positions (from 0) of the audio tracks a choice converts, in the order
// they are to come out: the chosen tracks the title has, or by default the
// default track, followed by every other track in the tables' order where
// everyTrack is set (a container that keeps them all). A choice naming no
// track the title has falls back to the default. The language of the
// default is the choice's, or else fallbackLanguage.
std::vector<int> chosenAudioTracks(const std::vector<dvd::AudioStream> &audio,
                                   const TrackChoice &choice, const std::string &fallbackLanguage,
                                   bool everyTrack);

// The subtitles burned into the picture.
struct SubtitleBurn {
    int stream = -1;         // position (from 0) of the subtitle stream, -1 for none
    bool forcedOnly = false; // only the pictures the disc marks as forced
};

// What a choice burns in, given the language of the first audio track
// converted: a chosen stream whole; by default the forced pictures of the
// first stream in that language (a stream the tables mark as forced
// subtitles is burned whole); nothing for "none" or a stream the title does
// not have.
SubtitleBurn burnedSubtitles(const std::vector<dvd::SubtitleStream> &subtitles,
                             const TrackChoice &choice, const std::string &audioLanguage);

} // namespace titles
