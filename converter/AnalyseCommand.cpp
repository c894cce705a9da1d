#include "AnalyseCommand.h"

#include "Disc.h"
#include "PictureSource.h"
#include "TitleSource.h"

#include <cstdio>
#include <map>

namespace
{

// The discs the call names, each opened once: a listing names every title
// of one disc.
class OpenDiscs
{
public:
    PictureSource sourceOf(const std::string &text)
    {
        const std::optional<titles::TitleSource> title = titles::parseTitleSource(text);
        if (!title)
            return PictureSource::ofSource(text);
        auto found = m_discs.find(title->disc);
        if (found == m_discs.end()) {
            Opened opened;
            opened.result = dvd::Disc::open(title->disc);
            if (opened.result)
                opened.identity = opened.result.disc->identity();
            found = m_discs.emplace(title->disc, std::move(opened)).first;
        }
        const Opened &disc = found->second;
        const dvd::Title *wanted = disc.result ? disc.result.disc->title(title->title) : nullptr;
        if (!wanted) {
            PictureSource missing;
            missing.error = disc.result ? "the DVD has no title " + std::to_string(title->title)
                                        : disc.result.message;
            return missing;
        }
        return PictureSource::ofTitle(disc.result.disc, *wanted, disc.identity);
    }

private:
    struct Opened {
        dvd::OpenResult result;
        std::string identity;
    };
    std::map<std::string, Opened> m_discs;
};

} // namespace

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
    OpenDiscs discs;
    for (std::size_t i = first; i < arguments.size(); ++i) {
        const PictureSource source = discs.sourceOf(arguments[i]);
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
