#include "PictureStep.h"

#include "LauncherEnvironment.h"
#include "PictureCache.h"
#include "PictureChain.h"
#include "PictureSource.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include <unistd.h>

namespace
{

bool onPath(const std::string &program)
{
    const char *path = std::getenv("PATH");
    std::string_view folders = path ? path : "";
    while (!folders.empty()) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        const std::string file = std::string(folder.empty() ? "." : folder) + '/' + program;
        if (::access(file.c_str(), X_OK) == 0)
            return true;
        folders = colon == std::string_view::npos ? "" : folders.substr(colon + 1);
    }
    return false;
}

} // namespace

bool applyPictureStep(LauncherCommand &command, const PictureSource &source,
                      const std::string &overlay)
{
    // Without ffmpeg the conversion's first line says what to install.
    if (!onPath("ffmpeg"))
        return false;
    if (const char *picture = std::getenv(kPictureVariable); picture && std::string(picture) == "0")
        return false;
    PictureRequest request;
    request.settings = PictureSettings::fromEnvironment();
    request.overlay = overlay;
    if (source.error.empty()) {
        PictureSource::Found found = PictureSource::Found::Unknown;
        std::string details;
        request.source =
            source.complete(PictureCache(PictureCache::defaultFolder()), true, found, details);
        if (found == PictureSource::Found::Analysed)
            std::fprintf(stderr, "torvane: picture analysis: %s, %s\n",
                         std::string(scanClassName(request.source.scan)).c_str(), details.c_str());
    } else {
        std::fprintf(stderr, "torvane: picture: %s\n", source.error.c_str());
    }
    const PictureChain chain = buildPictureChain(presetOptions(command), request);
    std::fprintf(stderr, "torvane: %s\n", chain.summary.c_str());
    replacePresetOptions(command, chain.options);
    return chain.complex;
}
