#pragma once

#include <string_view>

// How the user wants interlaced sources treated.
enum class DeinterlaceMode {
    Automatic, // by the class the analysis found
    Always,    // every title, as though it were interlaced (telecined ones are restored)
    Never,     // the frames stay as the source has them
};

// The user's picture settings, handed to the launcher by the program that
// runs it in its environment:
//   VELKO_DEINTERLACE  automatic (the default), always or never
//   VELKO_CROP         1 (the default) crops black bars, 0 keeps them
struct PictureSettings {
    DeinterlaceMode deinterlace = DeinterlaceMode::Automatic;
    bool cropBars = true;

    static PictureSettings fromEnvironment();
};

inline constexpr char kDeinterlaceVariable[] = "VELKO_DEINTERLACE";
inline constexpr char kCropVariable[] = "VELKO_CROP";

// "automatic", "always", "never".
std::string_view deinterlaceModeName(DeinterlaceMode mode);
