#pragma once

#include "TitleSource.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dvd
{
class Disc;
struct Title;
} // namespace dvd

// How ffmpeg reads one DVD title named by a title source: exactly the
// title's bytes as its first input (every piece in order, nothing of the
// neighbouring titles), the title's chapter marks as a second one, and the
// options that pick the picture, the chosen audio tracks and subtitles
// (TitleStreams.h).
struct TitleInput {
    std::string error;          // why the title cannot be read; empty when it can
    bool damagedTables = false; // the reason is that the DVD's tables are damaged

    std::shared_ptr<dvd::Disc> disc;
    const dvd::Title *title = nullptr;

    // ffmpeg's input options: the subtitle decoder's, "-f mpeg -i URL" and,
    // with chapters, "-f ffmetadata -i /dev/fd/N".
    std::vector<std::string> inputs;
    // Output options placed before the preset's own: -map, -metadata,
    // -disposition, -map_chapters.
    std::vector<std::string> streamOptions;
    // Output options placed after the preset's own (TitleStreams.h).
    std::vector<std::string> codecOptions;
    // The subtitle stream to lay over the picture, "0:i:0x20"; empty for none.
    std::string overlay;
    std::string note; // a line for the log about the streams, may be empty
    // The title's bytes come through libdvdread (decrypted where that is
    // possible) and are written to a pipe that ffmpeg reads as /dev/fd/3.
    bool feed = false;
    // The chapter starts of the chapter input (ms), empty without one.
    std::vector<std::int64_t> chapterStartsMs;
};

// Opens the disc of source and makes the input of its title for a
// conversion into target (empty for a probe, which needs no streams). The
// files ffmpeg is to read are opened here and named by /dev/fd/N, so no
// character of the disc's path reaches a list or a command line; they stay
// open for the life of the launcher.
TitleInput prepareTitleInput(const titles::TitleSource &source, const std::string &target);

// The lines of ffmpeg's probe output the engine reads, answered from the
// title's tables: the input, its duration and its streams.
std::string titleProbeText(const std::string &sourceText, const dvd::Title &title);

struct SourceInput;

// The title as the launcher's source of a conversion: its inputs and stream
// options in the place of "-i SOURCE", and for a fed title the feeder that
// writes its bytes, read through libdvdread.
SourceInput titleSourceInput(const TitleInput &input);
