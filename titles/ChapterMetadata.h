#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace titles
{

// The chapter marks of a title as an FFmpeg metadata file (";FFMETADATA1"),
// to be given to ffmpeg as a second input whose chapters go into the target.
// chapterStartsMs holds the start of every chapter from the title's start,
// in milliseconds and in order; each chapter ends where the next begins, the
// last one at durationMs. Chapters are named "Chapter 01", "Chapter 02", ...
// A start at or past the end of the title, or before the previous start,
// ends the list there. No chapters give an empty text.
std::string chapterMetadata(const std::vector<std::int64_t> &chapterStartsMs,
                            std::int64_t durationMs);

} // namespace titles
