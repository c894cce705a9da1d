#include "AnalyseCommand.h"

#include "PictureSource.h"

#include <cstdio>

int runAnalyseCommand(const std::vector<std::string> &arguments)
{
    std::size_t first = 0;
    bool cachedOnly = false;
    if (first < arguments.size() && arguments[first] == kCachedOption) {
        cachedOnly = true;
        ++first;
    }
    if (first >= arguments.size()) {
        std::fprintf(stderr, "torvane: usage: torvane %s [%s] SOURCE...\n", kAnalyseOption,
                     kCachedOption);
        return 2;
    }
    const PictureCache cache(PictureCache::defaultFolder());
    for (std::size_t i = first; i < arguments.size(); ++i) {
        const PictureSource source = PictureSource::ofSource(arguments[i]);
        const char *how = "failed";
        SourcePicture picture;
        if (source.error.empty()) {
            PictureSource::Found found = PictureSource::Found::Unknown;
            std::string details;
            picture = source.complete(cache, !cachedOnly, found, details);
            how = found == PictureSource::Found::Cached     ? "cached"
                  : found == PictureSource::Found::Analysed ? "analysed"
                                                            : "uncached";
            if (found == PictureSource::Found::Analysed)
                std::fprintf(stderr, "torvane: picture analysis: %s\n", details.c_str());
        } else {
            std::fprintf(stderr, "torvane: %s\n", source.error.c_str());
        }
        std::printf("%s %s %s\n", std::string(scanClassName(picture.scan)).c_str(),
                    picture.bars ? picture.bars->text().c_str() : "none", how);
        std::fflush(stdout);
    }
    return 0;
}
