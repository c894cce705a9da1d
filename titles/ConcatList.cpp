#include "ConcatList.h"

namespace titles
{

namespace
{

std::string quoted(const std::string &text)
{
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + '\'';
}

} // namespace

std::string concatList(const std::vector<dvd::ByteRange> &ranges)
{
    std::string text;
    for (const dvd::ByteRange &range : ranges) {
        if (range.end <= range.start)
            continue;
        // The subfile protocol counts end as the first byte not read.
        text += quoted("subfile,,start," + std::to_string(range.start) + ",end," +
                       std::to_string(range.end) + ",,:" + range.path);
        text += '\n';
    }
    return text;
}

} // namespace titles
