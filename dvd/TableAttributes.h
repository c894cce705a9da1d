#pragma once

// Pure maps from the attribute records of libdvdread's tables to this
// reader's own records.

#include "DiscTypes.h"
#include "TableTime.h"

#include <cstdint>
#include <string>

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

} // namespace dvd
