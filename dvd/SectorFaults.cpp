#include "SectorFaults.h"

#include <cstdio>
#include <sstream>

namespace dvd
{

namespace
{

std::vector<FailingSectors> g_failing;

} // namespace

void setFailingSectors(std::vector<FailingSectors> ranges)
{
    g_failing = std::move(ranges);
}

bool sectorsFail(int titleSet, std::uint32_t first, std::uint32_t count)
{
    if (count == 0)
        return false;
    const std::uint64_t last = std::uint64_t(first) + count - 1;
    for (const FailingSectors &range : g_failing) {
        if ((range.titleSet == 0 || range.titleSet == titleSet) && range.first <= last &&
            first <= range.last)
            return true;
    }
    return false;
}

std::optional<std::vector<FailingSectors>> parseFailingSectors(const std::string &text)
{
    std::vector<FailingSectors> ranges;
    std::istringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        FailingSectors range;
        unsigned set = 0, first = 0, last = 0;
        char end = 0;
        if (std::sscanf(item.c_str(), "%u:%u-%u%c", &set, &first, &last, &end) == 3) {
            range.titleSet = int(set);
        } else if (std::sscanf(item.c_str(), "%u-%u%c", &first, &last, &end) != 2) {
            return std::nullopt;
        }
        if (last < first)
            return std::nullopt;
        range.first = first;
        range.last = last;
        ranges.push_back(range);
    }
    return ranges;
}

} // namespace dvd
