#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A file cut short keeps only the chapters it reaches: the ones ffmpeg wrote
// from the source's tables run to the source's end, and a player would take
// the last one's end for the file's length.
//
// Copies file to copy (an existing file, replaced), with the chapters that
// start before reachedMs, the last one ending there, and every stream as it
// is. Answers whether the copy was made.
bool copyWithChaptersCut(const std::string &file, const std::string &copy,
                         const std::vector<std::int64_t> &chapterStartsMs, std::int64_t reachedMs);
