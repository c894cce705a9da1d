#include "TableTime.h"

namespace dvd
{

namespace
{

// -1 when the byte is no BCD number below limit.
int fromBcd(std::uint8_t byte, int limit)
{
    const int high = byte >> 4;
    const int low = byte & 0x0f;
    if (high > 9 || low > 9)
        return -1;
    const int value = high * 10 + low;
    return value < limit ? value : -1;
}

} // namespace

std::int64_t tableTimeMs(const TableTime &time)
{
    const int hours = fromBcd(time.hour, 100);
    const int minutes = fromBcd(time.minute, 60);
    const int seconds = fromBcd(time.second, 60);
    const int frames = fromBcd(time.frameByte & 0x3f, 40);
    if (hours < 0 || minutes < 0 || seconds < 0 || frames < 0)
        return 0;
    const std::int64_t wholeSeconds = std::int64_t(hours) * 3600 + minutes * 60 + seconds;
    switch (time.frameByte >> 6) {
    case 3: // 30 frames a second, each 1001/30 ms long
        return ((wholeSeconds * 30 + frames) * 1001 + 15) / 30;
    case 1: // 25 frames a second
        return wholeSeconds * 1000 + frames * 40;
    default: // no rate given: the frames cannot be counted
        return wholeSeconds * 1000;
    }
}

} // namespace dvd
