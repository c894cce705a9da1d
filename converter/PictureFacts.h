#pragma once

// Plain records of what the launcher knows about a source's picture: its
// frame, its display shape, its rate, how it was scanned and the black bars
// that are part of the picture.

#include "Ratio.h"

#include <optional>
#include <string>
#include <string_view>

// How the frames of a source were made.
enum class ScanClass {
    Unknown,
    Progressive, // whole pictures
    Interlaced,  // two half-pictures from different moments in each frame
    Telecined,   // film pictures spread over video fields in a 3:2 rhythm
};

// "progressive", "interlaced", "telecined", "unknown": the words the title
// listings and the cache use.
std::string_view scanClassName(ScanClass scan);
ScanClass scanClassFromName(std::string_view name);

// The part of the frame that holds the picture, in the source's pixels.
struct Crop {
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;

    // "w:h:x:y", as ffmpeg's crop filter takes it.
    std::string text() const;
    static std::optional<Crop> parse(std::string_view text);
    bool operator==(const Crop &) const = default;
};

struct SourcePicture {
    int width = 0; // stored frame size; 0 when not known
    int height = 0;
    Ratio aspect; // display aspect of the whole frame
    Ratio rate;   // frames per second
    ScanClass scan = ScanClass::Unknown;
    std::optional<Crop> bars; // the picture inside black bars, when bars were found
    // Film pictures that the stream's own flags repeat to make video rate
    // (the decoder gives them at the film's rate).
    bool pulldownFlags = false;

    bool known() const { return width > 0 && height > 0 && aspect.known(); }
};
