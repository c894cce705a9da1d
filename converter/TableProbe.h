#pragma once

#include "PieceLookup.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the first packs of a title file tell beyond the tables.
struct PackFacts {
    bool found = false;      // a video sequence was met
    bool progressive = true; // progressive sequence
    bool topFieldFirst = true;
    std::int64_t startPts = -1; // 90 kHz time of the first unit, -1 when unknown
};

// Reads the facts from the leading packs of a title file (2048 bytes each).
PackFacts readPackFacts(const std::vector<std::uint8_t> &packs);

// The probe's text for a title file, in ffmpeg's own format for the lines
// the ripper reads: "Input #0", "Duration:", the stream lines.
std::string formatTableProbe(const std::string &source, const dvd::PieceInfo &info,
                             const PackFacts &facts);

// The probe text for SOURCE when it is a title file of a DVD whose tables
// read; nothing otherwise, and ffmpeg's probe is to answer.
std::optional<std::string> probeFromTables(const std::string &source);
