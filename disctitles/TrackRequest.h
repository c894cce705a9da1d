#pragma once

#include "DiscTypes.h"
#include "TrackChoice.h"

#include <QString>

// Reads the command line's --audio ("fr", "2", "fr,1": languages or track
// numbers, in the order the tracks are to come out) and --subtitles ("en",
// "2" or "none") into the choice for title; an empty value leaves that part
// at its default. A language names the title's first normal track (else its
// first track) or its first subtitle stream in that language. Answers false,
// with the reason in strError, when a value names no track of the title or
// one track twice.
bool ParseTrackRequest(const dvd::Title &title, const QString &strAudio,
                       const QString &strSubtitles, titles::TrackChoice &choice, QString &strError);
