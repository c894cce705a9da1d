#pragma once

#include "DiscTypes.h"
#include "TrackChoice.h"

#include <QString>

// The words the title view, the Tracks dialog and the command line use for
// a title's audio tracks and subtitle streams. Numbers count from 1 in the
// tables' order.

// "AC-3", "MPEG audio", "LPCM", "DTS".
QString AudioCodecName(dvd::AudioCodec codec);
// "commentary", "audio description"; empty for the film's own sound.
QString AudioKindText(dvd::AudioContent content);
// "forced", "large", "for children", "closed captions", "commentary", ...;
// empty for normal subtitles.
QString SubtitleKindText(dvd::SubtitleContent content);

// "2: English AC-3 2 ch commentary".
QString AudioTrackText(const dvd::AudioStream &audio, int nNumber);
// "2: French forced".
QString SubtitleStreamText(const dvd::SubtitleStream &subtitle, int nNumber);
// "2 en (AC-3, 2 ch, commentary)", as the command line lists it.
QString AudioListText(const dvd::AudioStream &audio, int nNumber);
// "2 fr (forced)".
QString SubtitleListText(const dvd::SubtitleStream &subtitle, int nNumber);

// "audio 1: English AC-3 2 ch, 2: French AC-3 2 ch; subtitles 1: English",
// every track of the title in the tables' order (no subtitle part for a
// title without subtitles).
QString TrackListText(const dvd::Title &title);
// What a choice converts: "audio 2, forced English subtitles", "audio 3, 1,
// subtitles 2 burned in", "audio 1, no subtitles".
QString TrackChoiceText(const dvd::Title &title, const titles::TrackChoice &choice);
