#include "PictureFacts.h"

#include <charconv>
#include <cstdio>

std::string_view scanClassName(ScanClass scan)
{
    switch (scan) {
    case ScanClass::Progressive:
        return "progressive";
    case ScanClass::Interlaced:
        return "interlaced";
    case ScanClass::Telecined:
        return "telecined";
    case ScanClass::Unknown:
        break;
    }
    return "unknown";
}

ScanClass scanClassFromName(std::string_view name)
{
    for (const ScanClass scan :
         {ScanClass::Progressive, ScanClass::Interlaced, ScanClass::Telecined})
        if (scanClassName(scan) == name)
            return scan;
    return ScanClass::Unknown;
}

std::string Crop::text() const
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d:%d:%d:%d", width, height, x, y);
    return buffer;
}

std::optional<Crop> Crop::parse(std::string_view text)
{
    int values[4] = {};
    const char *at = text.data();
    const char *end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        const auto [stop, error] = std::from_chars(at, end, values[i]);
        if (error != std::errc() || (i < 3 && (stop == end || *stop != ':')) ||
            (i == 3 && stop != end))
            return std::nullopt;
        at = stop + 1;
    }
    const Crop crop{values[0], values[1], values[2], values[3]};
    if (crop.width <= 0 || crop.height <= 0 || crop.x < 0 || crop.y < 0)
        return std::nullopt;
    return crop;
}
