#include "TableProbe.h"

#include "DiscTypes.h"

#include <cstdio>
#include <numeric>

#include <fcntl.h>
#include <unistd.h>

namespace
{

constexpr int packSize = int(dvd::sectorSize);
constexpr int packsRead = 16;

std::string clockText(std::int64_t ms)
{
    // ffmpeg rounds to the nearest hundredth.
    const std::int64_t hundredths = (ms + 5) / 10;
    char text[32];
    std::snprintf(
        text, sizeof text, "%02lld:%02lld:%02lld.%02lld",
        static_cast<long long>(hundredths / 360000), static_cast<long long>(hundredths / 6000 % 60),
        static_cast<long long>(hundredths / 100 % 60), static_cast<long long>(hundredths % 100));
    return text;
}

std::string layoutName(int channels)
{
    switch (channels) {
    case 1:
        return "mono";
    case 2:
        return "stereo";
    case 3:
        return "2.1";
    case 4:
        return "4.0";
    case 5:
        return "5.0(side)";
    case 6:
        return "5.1(side)";
    default:
        return std::to_string(channels) + " channels";
    }
}

std::string audioText(const dvd::AudioStream &audio)
{
    std::string codec;
    std::string sampleFormat;
    switch (audio.codec) {
    case dvd::AudioCodec::Ac3:
        codec = "ac3";
        sampleFormat = "fltp";
        break;
    case dvd::AudioCodec::Mpeg1:
    case dvd::AudioCodec::Mpeg2:
        codec = "mp2";
        sampleFormat = "s16p";
        break;
    case dvd::AudioCodec::Lpcm:
        codec = "pcm_dvd";
        sampleFormat = "s16";
        break;
    case dvd::AudioCodec::Dts:
        codec = "dts (DTS)";
        sampleFormat = "fltp";
        break;
    case dvd::AudioCodec::Unknown:
        codec = "none";
        sampleFormat = "none";
        break;
    }
    return codec + ", " + std::to_string(audio.sampleRate) + " Hz, " + layoutName(audio.channels) +
           ", " + sampleFormat;
}

std::string hex(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

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
    const dvd::Piece &piece = info.piece;
    const dvd::VideoInfo &video = info.video;
    std::string text = "Input #0, mpeg, from '" + source + "':\n";

    char line[256];
    const double start = facts.startPts >= 0 ? double(facts.startPts) / 90000.0 : 0.0;
    std::string bitrate = "N/A";
    if (piece.durationMs > 0)
        bitrate = std::to_string(piece.sizeBytes * 8 / piece.durationMs) + " kb/s";
    std::snprintf(line, sizeof line, "  Duration: %s, start: %.6f, bitrate: %s\n",
                  clockText(piece.durationMs).c_str(), start, bitrate.c_str());
    text += line;

    int index = 0;
    text += "  Stream #0:" + std::to_string(index++) + "[0x1bf]: Data: dvd_nav_packet\n";

    const int sarNum = video.aspectNum * video.height;
    const int sarDen = video.aspectDen * video.width;
    const int divisor = std::gcd(sarNum, sarDen);
    const bool pal = video.standard == dvd::VideoStandard::Pal;
    const char *rate = pal ? "25" : "29.97";
    const std::string order = !facts.found          ? ""
                              : facts.progressive   ? ", progressive"
                              : facts.topFieldFirst ? ", top first"
                                                    : ", bottom first";
    std::snprintf(line, sizeof line,
                  "  Stream #0:%d[0x1e0]: Video: %s (Main), yuv420p(tv%s), %dx%d [SAR %d:%d DAR "
                  "%d:%d], %s fps, %s tbr, 90k tbn\n",
                  index++, video.mpeg1 ? "mpeg1video" : "mpeg2video", order.c_str(), video.width,
                  video.height, sarNum / divisor, sarDen / divisor, video.aspectNum,
                  video.aspectDen, rate, rate);
    text += line;

    for (const dvd::AudioStream &audio : info.audio) {
        text += "  Stream #0:" + std::to_string(index++) + "[" + hex(audio.streamId) +
                "]: Audio: " + audioText(audio) + "\n";
    }
    for (const dvd::SubtitleStream &subtitle : info.subtitles) {
        text += "  Stream #0:" + std::to_string(index++) + "[" + hex(subtitle.streamId) +
                "]: Subtitle: dvd_subtitle\n";
    }
    text += "At least one output file must be specified\n";
    return text;
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
