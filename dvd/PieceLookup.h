#pragma once

#include "DiscTypes.h"

#include <memory>
#include <optional>
#include <string>

namespace dvd
{

class Disc;

// What the tables say about one title file.
struct PieceInfo {
    std::shared_ptr<Disc> disc; // the DVD the file belongs to
    Piece piece;
    VideoInfo video;                       // of its title set
    std::vector<AudioStream> audio;        // of its title set
    std::vector<SubtitleStream> subtitles; // of its title set
};

// Whether a file name has the form of a title file: VTS_nn_k.VOB with k from
// 1 to 9 (letter case ignored).
bool isTitleFileName(const std::string &path);

// Given the path of a VTS_nn_k.VOB file, finds the DVD it belongs to (the
// folder holding it and its IFO files) and answers that piece's record, or
// nothing when the file is not part of a DVD whose tables read (a loose VOB,
// IFO and BUP both damaged).
std::optional<PieceInfo> lookUpPiece(const std::string &path);

} // namespace dvd
