#pragma once

#include "LauncherEnvironment.h"

#include <string_view>

// How the user wants interlaced sources treated.
enum class DeinterlaceMode {
    Automatic, // by the class the analysis found
    Always,    // every title, as though it were interlaced (telecined ones are restored)
    Never,     // the frames stay as the source has them
};

// The user's picture settings, handed to the launcher by the program that
// runs it in its environment (LauncherEnvironment.h).
struct PictureSettings {
    DeinterlaceMode deinterlace = DeinterlaceMode::Automatic;
    bool cropBars = true;

    static PictureSettings fromEnvironment();
};

// "automatic", "always", "never".
std::string_view deinterlaceModeName(DeinterlaceMode mode);
