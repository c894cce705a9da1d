#include "ProbeText.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace
{

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

const char *fieldOrderText(ProbeStreams::FieldOrder order)
{
    switch (order) {
    case ProbeStreams::FieldOrder::Progressive:
        return ", progressive";
    case ProbeStreams::FieldOrder::TopFirst:
        return ", top first";
    case ProbeStreams::FieldOrder::BottomFirst:
        return ", bottom first";
    case ProbeStreams::FieldOrder::Unknown:
        break;
    }
    return "";
}

std::string streamHead(int index, int id)
{
    char text[48];
    std::snprintf(text, sizeof text, "  Stream #0:%d[0x%x]: ", index, id);
    return text;
}

} // namespace

std::string clockText(std::int64_t ms)
{
    const std::int64_t hundredths = (ms + 5) / 10;
    char text[32];
    std::snprintf(
        text, sizeof text, "%02lld:%02lld:%02lld.%02lld",
        static_cast<long long>(hundredths / 360000), static_cast<long long>(hundredths / 6000 % 60),
        static_cast<long long>(hundredths / 100 % 60), static_cast<long long>(hundredths % 100));
    return text;
}

std::string probeText(const ProbeStreams &streams)
{
    std::string text = "Input #0, mpeg, from '" + streams.source + "':\n";

    char line[256];
    const double start = streams.startPts >= 0 ? double(streams.startPts) / 90000.0 : 0.0;
    std::string bitrate = "N/A";
    if (streams.durationMs > 0 && streams.sizeBytes >= 0)
        bitrate = std::to_string(streams.sizeBytes * 8 / streams.durationMs) + " kb/s";
    std::snprintf(line, sizeof line, "  Duration: %s, start: %.6f, bitrate: %s\n",
                  clockText(streams.durationMs).c_str(), start, bitrate.c_str());
    text += line;

    int index = 0;
    text += streamHead(index++, 0x1bf) + "Data: dvd_nav_packet\n";

    const dvd::VideoInfo &video = streams.video;
    const int sarNum = video.aspectNum * video.height;
    const int sarDen = video.aspectDen * video.width;
    const int divisor = std::max(1, std::gcd(sarNum, sarDen));
    const char *rate = video.standard == dvd::VideoStandard::Pal ? "25" : "29.97";
    std::snprintf(line, sizeof line,
                  "Video: %s, yuv420p(tv%s), %dx%d [SAR %d:%d DAR %d:%d], %s fps, %s tbr, 90k "
                  "tbn\n",
                  video.mpeg1 ? "mpeg1video" : "mpeg2video (Main)",
                  fieldOrderText(streams.fieldOrder), video.width, video.height, sarNum / divisor,
                  sarDen / divisor, video.aspectNum, video.aspectDen, rate, rate);
    text += streamHead(index++, 0x1e0) + line;

    for (const dvd::AudioStream &audio : streams.audio)
        text += streamHead(index++, audio.streamId) + "Audio: " + audioText(audio) + "\n";
    for (const dvd::SubtitleStream &subtitle : streams.subtitles)
        text += streamHead(index++, subtitle.streamId) + "Subtitle: dvd_subtitle\n";
    text += "At least one output file must be specified\n";
    return text;
}
