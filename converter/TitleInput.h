#pragma once

#include "TitleSource.h"

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
// options that pick the picture and the disc's first audio stream and tag
// that stream with its language.
struct TitleInput {
    std::string error; // why the title cannot be read; empty when it can

    std::shared_ptr<dvd::Disc> disc;
    const dvd::Title *title = nullptr;

    // ffmpeg's input options: "-f mpeg -i URL" and, with chapters,
    // "-f ffmetadata -i /dev/fd/N".
    std::vector<std::string> inputs;
    // Output options placed before the preset's own: -map, -metadata,
    // -map_chapters.
    std::vector<std::string> streamOptions;
    // The title's bytes come through libdvdread (decrypted where that is
    // possible) and are written to a pipe that ffmpeg reads as /dev/fd/3.
    bool feed = false;
};

// Opens the disc of source and makes the input of its title. withChapters
// asks for the chapter input (for a target that can hold chapters). The
// files ffmpeg is to read are opened here and named by /dev/fd/N, so no
// character of the disc's path reaches a list or a command line; they stay
// open for the life of the launcher.
TitleInput prepareTitleInput(const titles::TitleSource &source, bool withChapters);

// Whether a target of this name can carry chapter marks (mp4, m4v, mov, mkv).
bool targetHoldsChapters(const std::string &target);

// The lines of ffmpeg's probe output the engine reads, answered from the
// title's tables: the input, its duration and its streams.
std::string titleProbeText(const std::string &sourceText, const dvd::Title &title);

struct SourceInput;

// The title as the launcher's source of a conversion: its inputs and stream
// options in the place of "-i SOURCE", and for a fed title the feeder that
// writes its bytes, read through libdvdread.
SourceInput titleSourceInput(const TitleInput &input);
