#pragma once

// Finding a DVD's files in a folder source and the title files (pieces) of a
// title set, in a folder or inside an image.

#include "DiscTypes.h"

#include <filesystem>
#include <string>
#include <vector>

#include <dvdread/dvd_reader.h>

namespace dvd
{

// The entry of folder whose name equals name but for letter case, or an
// empty path.
std::filesystem::path findEntry(const std::filesystem::path &folder, const char *name);

// Of a folder source: the folder holding the DVD's files (the folder itself
// or its VIDEO_TS), empty when neither holds VIDEO_TS.IFO or its copy.
std::filesystem::path findVideoFolder(const std::filesystem::path &folder);

// Why a source is not read, or empty: the source itself is refused
// (refusedFileReason), or for a folder, one of the DVD's own files in it.
std::string refusedSourceReason(const std::filesystem::path &source);

// The title files VTS_nn_1.VOB .. VTS_nn_9.VOB of a title set with their
// sizes and first sectors, their paths found in videoFolder (letter case
// ignored; no paths when videoFolder is empty, as inside an image).
// Durations and titles are left for the chain walk.
std::vector<Piece> readPieces(dvd_reader_t *reader, int titleSet,
                              const std::filesystem::path &videoFolder);

} // namespace dvd
