#pragma once

#include "PictureCache.h"
#include "PictureFacts.h"

#include <functional>
#include <memory>
#include <string>

namespace dvd
{
class Disc;
struct Title;
} // namespace dvd

// Where the picture of a job source is known from, and how it is analysed:
// a DVD title and a title file from the disc's tables (the frame and its 4:3
// or 16:9 shape) with samples read through libdvdread; any other file from
// ffprobe (the stream's size, aspect and rate) with samples by time.
struct PictureSource {
    // Frame, shape and rate from the tables (scan class and bars still
    // unknown); a file's comes with its analysis.
    SourcePicture picture;
    std::string cacheKey; // empty when the analysis cannot be kept
    std::function<PictureAnalysis()> analyse;
    std::string error; // why nothing is known of the picture; empty when something is

    // identity is the disc's (Disc::identity), found here when empty.
    static PictureSource ofTitle(const std::shared_ptr<dvd::Disc> &disc, const dvd::Title &title,
                                 std::string identity = {});
    // A job source: a DVD title's text (dvdtitle:...), a title file or a file.
    // A file's frame is measured by its analysis and kept in the cache with it.
    static PictureSource ofSource(const std::string &source);

    // The picture with its scan class and bars: from the cache, or analysed
    // now (and kept) when analyseWhenUnknown is set. found says which.
    enum class Found { Cached, Analysed, Unknown };
    SourcePicture complete(const PictureCache &cache, bool analyseWhenUnknown, Found &found,
                           std::string &details) const;
};
