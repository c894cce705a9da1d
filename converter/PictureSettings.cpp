#include "PictureSettings.h"

#include <cstdlib>
#include <string>

PictureSettings PictureSettings::fromEnvironment()
{
    PictureSettings settings;
    if (const char *mode = std::getenv(kDeinterlaceVariable)) {
        const std::string_view text(mode);
        if (text == deinterlaceModeName(DeinterlaceMode::Always))
            settings.deinterlace = DeinterlaceMode::Always;
        else if (text == deinterlaceModeName(DeinterlaceMode::Never))
            settings.deinterlace = DeinterlaceMode::Never;
    }
    if (const char *crop = std::getenv(kCropVariable))
        settings.cropBars = std::string_view(crop) != "0";
    return settings;
}

std::string_view deinterlaceModeName(DeinterlaceMode mode)
{
    switch (mode) {
    case DeinterlaceMode::Always:
        return kDeinterlaceAlways;
    case DeinterlaceMode::Never:
        return kDeinterlaceNever;
    case DeinterlaceMode::Automatic:
        break;
    }
    return kDeinterlaceAutomatic;
}
