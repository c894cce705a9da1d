#pragma once

#include "PictureFacts.h"
#include "PictureSettings.h"

#include <string>
#include <vector>

// What the launcher knows of one conversion's picture.
struct PictureRequest {
    SourcePicture source;
    PictureSettings settings;
    // A second picture drawn over the film (burned-in subtitles), as a
    // stream specifier of the inputs such as "0:i:0x20"; empty for none. It
    // is laid over the whole frame once the frames are whole pictures, and
    // before the picture is fitted into the preset's frame.
    std::string overlay;
};

// The preset's options with one video filter chain that keeps the source's
// display shape inside the preset's frame (scaled to fit and padded with
// black on square pixels, or cropped to fill where the preset's own filters
// crop), makes whole pictures of interlaced and telecined frames for output
// that is not interlaced by design, crops the black bars found in the
// source, and keeps the title's own frame rate where the preset would force
// the other TV standard's.
struct PictureChain {
    std::vector<std::string> options;
    // The chain is a -filter_complex (there is an overlay) whose picture
    // leaves by kPictureLabel: the film's video stream is to be mapped by
    // that label in its place (mapPictureOutput).
    bool complex = false;
    std::string summary; // what was done, one line for the log
};

inline constexpr char kPictureLabel[] = "[picture]";

// Takes the option tokens after rewriteArguments and withMonotonicAudio;
// every option that is not about the picture comes back unchanged and in its
// place. A preset that builds its own filter graph, encodes no video or
// copies it, and a source whose picture is not known, keep their options.
PictureChain buildPictureChain(const std::vector<std::string> &tokens,
                               const PictureRequest &request);

// Replaces "-map 0:v:0" among stream options by "-map [picture]".
void mapPictureOutput(std::vector<std::string> &streamOptions);
