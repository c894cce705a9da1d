#include "TableAttributes.h"

namespace dvd
{

std::string languageOf(std::uint16_t code)
{
    const char first = char(code >> 8);
    const char second = char(code & 0xff);
    if (first < 'a' || first > 'z' || second < 'a' || second > 'z')
        return {};
    return std::string{first, second};
}

TableTime toTableTime(const dvd_time_t &time)
{
    return TableTime{time.hour, time.minute, time.second, time.frame_u};
}

VideoInfo videoFrom(const video_attr_t &attr)
{
    VideoInfo video;
    video.standard = attr.video_format == 1 ? VideoStandard::Pal : VideoStandard::Ntsc;
    video.mpeg1 = attr.mpeg_version == 0;
    video.height = video.standard == VideoStandard::Pal ? 576 : 480;
    static const int widths[] = {720, 704, 352, 352};
    video.width = widths[attr.picture_size & 3];
    if (attr.picture_size == 3)
        video.height /= 2;
    if (attr.display_aspect_ratio == 3) {
        video.aspectNum = 16;
        video.aspectDen = 9;
    }
    return video;
}

AudioStream audioFrom(const audio_attr_t &attr, int substream)
{
    AudioStream audio;
    if (attr.lang_type == 1)
        audio.language = languageOf(attr.lang_code);
    audio.channels = attr.channels + 1;
    audio.sampleRate = attr.sample_frequency == 1 ? 96000 : 48000;
    switch (attr.audio_format) {
    case 0:
        audio.codec = AudioCodec::Ac3;
        audio.streamId = 0x80 + substream;
        break;
    case 2:
        audio.codec = AudioCodec::Mpeg1;
        audio.streamId = 0x1c0 + substream;
        break;
    case 3:
        audio.codec = AudioCodec::Mpeg2;
        audio.streamId = 0x1c0 + substream;
        break;
    case 4:
        audio.codec = AudioCodec::Lpcm;
        audio.streamId = 0xa0 + substream;
        break;
    case 6:
        audio.codec = AudioCodec::Dts;
        audio.streamId = 0x88 + substream;
        break;
    default:
        audio.codec = AudioCodec::Unknown;
        audio.streamId = 0x80 + substream;
        break;
    }
    return audio;
}

} // namespace dvd
