#pragma once

#include "TrackChoice.h"

#include <optional>
#include <string>

namespace titles
{

// One DVD title named as a single job source, so that the engine probes and
// converts it like a file and the launcher knows what to read:
//
//     dvdtitle:<disc, percent-encoded>:<title number><choice>/<name>.VOB
//
// where <choice> names the audio tracks and subtitles to convert (see
// choiceText; empty for the default, as in sources made before there was a
// choice). The disc (a DVD folder, a mount point, a device or an ISO image) is
// percent-encoded, so no character of its path, not even a slash, a colon or
// a line end, reaches the text unescaped. The part after the last slash is
// what the engine names the target after; it is the title's file name
// without the disc's path.
struct TitleSource {
    std::string disc; // path of the disc, as given
    int title = 0;    // the title's number on the disc, from 1
    std::string name; // file name base of the target, e.g. "MY_MOVIE - Title 01"
    TrackChoice choice = {};
};

// The job source text for a title; name is made safe as a file name first.
std::string makeTitleSource(const TitleSource &source);

// The title a job source names, or nothing for any other text (a file path).
std::optional<TitleSource> parseTitleSource(const std::string &text);

// A file name for the target base: '/', NUL and control characters become
// '_', surrounding blanks are dropped, and an empty result becomes "DVD".
std::string safeFileName(const std::string &name);

// "LABEL - Title NN": the target base of title number of a disc named label.
std::string titleFileName(const std::string &label, int title);

// Percent-encoding of every byte outside A-Z a-z 0-9 - . _ ~, and back. The
// decoder answers nothing for a broken escape.
std::string percentEncode(const std::string &text);
std::optional<std::string> percentDecode(const std::string &text);

} // namespace titles
