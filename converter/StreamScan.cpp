#include "StreamScan.h"

#include "DiscTypes.h"

namespace
{

constexpr std::size_t kPackSize = dvd::sectorSize;
constexpr int kPrivateStream1 = 0xbd;
constexpr int kPaddingStream = 0xbe;

bool startCodeAt(const std::uint8_t *p)
{
    return p[0] == 0 && p[1] == 0 && p[2] == 1;
}

void collectFromPack(const std::uint8_t *pack, std::set<int> &ids)
{
    // An MPEG-2 pack header: 14 bytes and its stuffing.
    if (!startCodeAt(pack) || pack[3] != 0xba || (pack[4] & 0xc0) != 0x40)
        return;
    std::size_t at = 14 + (pack[13] & 7);
    while (at + 9 <= kPackSize && startCodeAt(pack + at)) {
        const int id = pack[at + 3];
        const std::size_t length = std::size_t(pack[at + 4]) << 8 | pack[at + 5];
        if (id >= 0xe0 && id <= 0xef)
            ids.insert(0x100 | id);
        else if (id >= 0xc0 && id <= 0xdf)
            ids.insert(0x100 | id);
        else if (id == kPrivateStream1) {
            const std::size_t payload = at + 9 + pack[at + 8];
            if (payload < kPackSize && payload < at + 6 + length)
                ids.insert(pack[payload]);
        } else if (id == kPaddingStream || id < 0xbb)
            return;
        at += 6 + length;
    }
}

} // namespace

void collectStreamIds(const std::uint8_t *packs, std::size_t size, std::set<int> &ids)
{
    for (std::size_t at = 0; at + kPackSize <= size; at += kPackSize)
        collectFromPack(packs + at, ids);
}
