#pragma once

// What a program that runs the converter launcher (core/torvane) puts in the
// launcher's environment to carry the user's picture settings. Plain C++:
// the launcher reads these, the program's settings write them.

// How interlaced sources are treated: one of the three words below.
inline constexpr char kDeinterlaceVariable[] = "VELKO_DEINTERLACE";
inline constexpr char kDeinterlaceAutomatic[] = "automatic"; // by the title's class (the default)
inline constexpr char kDeinterlaceAlways[] = "always";
inline constexpr char kDeinterlaceNever[] = "never";

// "1" (the default) crops the black bars found in a source, "0" keeps them.
inline constexpr char kCropVariable[] = "VELKO_CROP";

// "0" leaves every preset's picture options as they are, without analysis
// or picture chain: for comparisons (the benchmark).
inline constexpr char kPictureVariable[] = "VELKO_PICTURE";
