#pragma once

// Pure maps from the attribute records of libdvdread's tables to this
// reader's own records.

#include "DiscTypes.h"
#include "TableTime.h"

#include <cstdint>
#include <string>
#include <vector>

#include <dvdread/ifo_types.h>

namespace dvd
{

// A two-letter language code as the tables store it (first letter in the
// high byte), or empty when it is no lower-case ISO 639-1 code.
std::string languageOf(std::uint16_t code);

TableTime toTableTime(const dvd_time_t &time);

VideoInfo videoFrom(const video_attr_t &attr);

// An audio stream of a title set, substream being its stream number in the
// VOBs (0..7), which gives the stream id ffmpeg shows.
AudioStream audioFrom(const audio_attr_t &attr, int substream);

// A subpicture stream of a title set, substream being its stream number in
// the VOBs (0..31).
SubtitleStream subtitleFrom(const subp_attr_t &attr, int substream);

// The streams of a title set as a program chain plays them: the chain's
// audio and subpicture control give each stream's number in the VOBs (for a
// 16:9 picture, that of the wide subpictures). With onlyMarked, the streams
// the chain does not mark are left out (its title holds none of them);
// without, they keep their place as number, as they do without a chain.
std::vector<AudioStream> audioStreams(const vtsi_mat_t &mat, const pgc_t *chain, bool onlyMarked);
std::vector<SubtitleStream> subtitleStreams(const vtsi_mat_t &mat, const pgc_t *chain,
                                            bool onlyMarked);

// The chain's palette, all zero without a chain.
Palette paletteOf(const pgc_t *chain);

// A palette entry 0x00YYCrCb (BT.601, limited range) as 0xRRGGBB.
std::uint32_t rgbFromPaletteEntry(std::uint32_t entry);

} // namespace dvd
