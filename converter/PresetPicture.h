#pragma once

#include "OptionList.h"
#include "Ratio.h"

#include <string>
#include <vector>

// What a preset's options ask of the picture: the frame its video filters,
// -s or -target give, the display aspect of -aspect, the rate of -r or
// -target, and what its own filters do besides shaping the picture.
struct PresetPicture {
    int width = 0; // the preset's frame; 0 when it keeps the source's size
    int height = 0;
    Ratio aspect; // -aspect; not known when not given
    Ratio rate;   // -r, or the rate of the -target norm, whichever comes last
    // Its own filters crop the picture before scaling it: it means to fill
    // its frame, cutting off what does not fit, rather than leave bars.
    bool fillsFrame = false;
    bool deinterlaces = false; // its own filters deinterlace (-deinterlace, yadif)
    // DVD, VCD or DV output: the frame size and rate belong to the format.
    bool discFormat = false;
    // DVD or DV output, which carry interlaced video as it is.
    bool interlacedFormat = false;
    // Its filters hold something the launcher does not follow (an unknown
    // size expression): they are then left as they are.
    bool understood = true;
    // Its filters that do not shape or deinterlace the picture, in order.
    std::vector<std::string> otherFilters;
};

// Reads the picture options of a preset; the source's frame size stands in
// for iw and ih in the preset's own size expressions.
PresetPicture readPresetPicture(const std::vector<Option> &options, int sourceWidth,
                                int sourceHeight);

// Whether an option is a video filter chain (-vf, -filter:v).
bool isVideoFilterOption(const Option &option);

// The filters of a chain ("crop=iw:ih-2*60,scale=320:144"), split at the
// commas that separate them.
std::vector<std::string> splitFilterChain(const std::string &chain);
