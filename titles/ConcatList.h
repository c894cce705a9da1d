#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace titles
{

// A run of bytes of one file: [start, end).
struct ByteRange {
    std::string path;
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};

// The list of a "concatf:" input that reads the given ranges one after the
// other as one stream: one "subfile,,start,S,end,E,,:PATH" line per range.
// The list format ends a line at a line end and treats quotes, backslashes
// and surrounding blanks specially; every path is therefore written inside
// single quotes (a quote in it as '\''). A path holding a line end cannot be
// listed at all: the caller names such files by a descriptor path
// (/dev/fd/N) instead. Empty ranges are left out.
std::string concatList(const std::vector<ByteRange> &ranges);

// Whether a path can stand in a concat list as it is.
bool listablePath(const std::string &path);

} // namespace titles
