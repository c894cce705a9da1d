#pragma once

#include <cstdint>

namespace dvd
{

// A play time as the tables store it: BCD hours, minutes, seconds and
// frames, the frame rate in the top two bits of the frame byte (01: 25 per
// second, 11: 30 per second, which stands for 30000/1001).
struct TableTime {
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint8_t frameByte = 0;
};

// The time in milliseconds, rounded to the nearest. A 30-per-second time
// counts frames at a nominal 30 per second of a 29.97 Hz picture, so its
// real length is (seconds x 30 + frames) x 1001 / 30 ms. Digits that are not
// BCD make the time 0.
std::int64_t tableTimeMs(const TableTime &time);

} // namespace dvd
