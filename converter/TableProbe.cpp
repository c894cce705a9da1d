#include "TableProbe.h"

#include "DiscTypes.h"
#include "ProbeText.h"

#include <fcntl.h>
#include <unistd.h>

namespace
{

constexpr int packSize = int(dvd::sectorSize);
constexpr int packsRead = 16;

} // namespace

PackFacts readPackFacts(const std::vector<std::uint8_t> &packs)
{
    PackFacts facts;
    const std::size_t count = packs.size() / packSize;
    bool sawSequence = false;
    bool sawPicture = false;
    for (std::size_t n = 0; n < count && !(sawSequence && sawPicture); ++n) {
        const std::uint8_t *pack = packs.data() + n * packSize;
        if (pack[0] != 0 || pack[1] != 0 || pack[2] != 1 || pack[3] != 0xba)
            continue;
        // A navigation pack: its presentation data holds the unit's start time.
        if (facts.startPts < 0 && pack[0x26] == 0 && pack[0x27] == 0 && pack[0x28] == 1 &&
            pack[0x29] == 0xbf) {
            const std::uint8_t *start = pack + 0x2d + 12; // vobu_s_ptm in the PCI
            facts.startPts =
                (std::int64_t(start[0]) << 24) | (start[1] << 16) | (start[2] << 8) | start[3];
        }
        for (int i = 0x0e; i + 8 < packSize; ++i) {
            const std::uint8_t *p = pack + i;
            if (p[0] != 0 || p[1] != 0 || p[2] != 1 || p[3] != 0xb5)
                continue;
            const int id = p[4] >> 4;
            if (id == 1 && !sawSequence) {
                sawSequence = true;
                facts.progressive = ((p[5] >> 3) & 1) != 0;
            } else if (id == 8 && !sawPicture) {
                sawPicture = true;
                facts.topFieldFirst = (p[7] >> 7) != 0;
            }
        }
    }
    facts.found = sawSequence;
    return facts;
}

std::string formatTableProbe(const std::string &source, const dvd::PieceInfo &info,
                             const PackFacts &facts)
{
    ProbeStreams streams;
    streams.source = source;
    streams.durationMs = info.piece.durationMs;
    streams.startPts = facts.startPts;
    streams.sizeBytes = info.piece.sizeBytes;
    streams.video = info.video;
    if (facts.found) {
        streams.fieldOrder = facts.progressive     ? ProbeStreams::FieldOrder::Progressive
                             : facts.topFieldFirst ? ProbeStreams::FieldOrder::TopFirst
                                                   : ProbeStreams::FieldOrder::BottomFirst;
    }
    streams.audio = info.audio;
    streams.subtitles = info.subtitles;
    return probeText(streams);
}

std::optional<std::string> probeFromTables(const std::string &source)
{
    const std::optional<dvd::PieceInfo> info = dvd::lookUpPiece(source);
    if (!info)
        return std::nullopt;
    std::vector<std::uint8_t> packs(std::size_t(packSize) * packsRead);
    const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    ssize_t got = -1;
    if (fd >= 0) {
        got = ::pread(fd, packs.data(), packs.size(), 0);
        ::close(fd);
    }
    packs.resize(got > 0 ? std::size_t(got) : 0);
    return formatTableProbe(source, *info, readPackFacts(packs));
}
