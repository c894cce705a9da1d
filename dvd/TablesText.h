#pragma once

#include "OpenResult.h"

#include <optional>
#include <string>
#include <string_view>

namespace dvd
{

class Disc;

// A DVD's tables as plain text, one record a line, so that a child process
// can read them (where a damaged IFO that crashes libdvdread takes only the
// child with it) and the program can take them over. The first line names
// the format; then either one "failure" line or the disc's records: its
// source, what libdvdread opened, its identity, the main title, each title set with its
// streams and pieces, each title with its chapters, streams, palette and
// sector and byte ranges; "end" closes the text, so that a cut answer never
// reads as a whole one. Every string is the last field of its line, with
// '%', CR and LF written as %25, %0D and %0A.
class TablesText
{
public:
    // The text of an opened disc (its main title found first), or of why
    // opening failed.
    static std::string write(const OpenResult &opened);
    static std::string write(const Disc &disc);

    // The disc or the failure a text describes; nothing for a text that is
    // not one this writer made (cut, garbled, or another program's).
    static std::optional<OpenResult> read(std::string_view text);
};

} // namespace dvd
