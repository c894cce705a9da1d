#pragma once

#include <cstddef>
#include <cstdint>
#include <set>

// Adds to ids the id ffmpeg gives each elementary stream met in whole
// 2048-byte packs of an MPEG program stream: 0x1e0 + n for video, 0x1c0 + n
// for MPEG audio, and for a substream of private stream 1 its number
// (0x20 + n subtitles, 0x80 + n AC-3, 0x88 + n DTS, 0xa0 + n LPCM). A pack
// that is not one is passed over.
void collectStreamIds(const std::uint8_t *packs, std::size_t size, std::set<int> &ids);
