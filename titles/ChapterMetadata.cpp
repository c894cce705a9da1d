#include "ChapterMetadata.h"

#include <cstdio>

namespace titles
{

std::string chapterMetadata(const std::vector<std::int64_t> &chapterStartsMs,
                            std::int64_t durationMs)
{
    std::vector<std::int64_t> starts;
    for (const std::int64_t start : chapterStartsMs) {
        if (start < 0 || start >= durationMs || (!starts.empty() && start <= starts.back()))
            break;
        starts.push_back(start);
    }
    if (starts.empty())
        return {};

    std::string text = ";FFMETADATA1\n";
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::int64_t end = i + 1 < starts.size() ? starts[i + 1] : durationMs;
        char block[160];
        std::snprintf(block, sizeof block,
                      "[CHAPTER]\nTIMEBASE=1/1000\nSTART=%lld\nEND=%lld\ntitle=Chapter %02zu\n",
                      static_cast<long long>(starts[i]), static_cast<long long>(end), i + 1);
        text += block;
    }
    return text;
}

} // namespace titles
