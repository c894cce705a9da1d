#pragma once

#include "DiscTypes.h"

#include <string>
#include <vector>

namespace titles
{

// The list of a "concatf:" input that reads the given ranges one after the
// other as one stream: one "subfile,,start,S,end,E,,:PATH" line per range.
// The list format ends a line at a line end and treats quotes, backslashes
// and surrounding blanks specially; every path is therefore written inside
// single quotes (a quote in it as '\''). A path holding a line end cannot be
// listed at all: the caller names such files by a descriptor path
// (/dev/fd/N) instead. Empty ranges are left out.
std::string concatList(const std::vector<dvd::ByteRange> &ranges);

} // namespace titles
