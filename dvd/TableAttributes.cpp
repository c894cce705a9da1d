#include "TableAttributes.h"

#include <algorithm>
#include <cmath>

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
    static const AudioContent contents[] = {
        AudioContent::Unspecified, AudioContent::Normal, AudioContent::VisuallyImpaired,
        AudioContent::Commentary, AudioContent::SecondCommentary};
    if (attr.code_extension < std::size(contents))
        audio.content = contents[attr.code_extension];
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

SubtitleStream subtitleFrom(const subp_attr_t &attr, int substream)
{
    using C = SubtitleContent;
    // Indexed by the table's code extension; the gaps are reserved values.
    static const C contents[] = {
        C::Unspecified, C::Normal,         C::Large,           C::Children,
        C::Unspecified, C::NormalCaptions, C::LargeCaptions,   C::ChildrenCaptions,
        C::Unspecified, C::Forced,         C::Unspecified,     C::Unspecified,
        C::Unspecified, C::Commentary,     C::LargeCommentary, C::ChildrenCommentary};
    SubtitleStream subtitle;
    if (attr.type == 1)
        subtitle.language = languageOf(attr.lang_code);
    if (attr.code_extension < std::size(contents))
        subtitle.content = contents[attr.code_extension];
    subtitle.streamId = 0x20 + substream;
    return subtitle;
}

std::vector<AudioStream> audioStreams(const vtsi_mat_t &mat, const pgc_t *chain, bool onlyMarked)
{
    std::vector<AudioStream> streams;
    for (int i = 0; i < std::min<int>(mat.nr_of_vts_audio_streams, 8); ++i) {
        int substream = i;
        if (chain && (chain->audio_control[i] & 0x8000))
            substream = (chain->audio_control[i] >> 8) & 7;
        else if (chain && onlyMarked)
            continue;
        streams.push_back(audioFrom(mat.vts_audio_attr[i], substream));
    }
    return streams;
}

std::vector<SubtitleStream> subtitleStreams(const vtsi_mat_t &mat, const pgc_t *chain,
                                            bool onlyMarked)
{
    // The number for a 4:3 picture in bits 24-28, for a wide one in 16-20.
    const int shift = mat.vts_video_attr.display_aspect_ratio == 3 ? 16 : 24;
    std::vector<SubtitleStream> streams;
    for (int i = 0; i < std::min<int>(mat.nr_of_vts_subp_streams, 32); ++i) {
        int substream = i;
        if (chain && (chain->subp_control[i] & 0x80000000u))
            substream = int(chain->subp_control[i] >> shift) & 0x1f;
        else if (chain && onlyMarked)
            continue;
        streams.push_back(subtitleFrom(mat.vts_subp_attr[i], substream));
    }
    return streams;
}

Palette paletteOf(const pgc_t *chain)
{
    // Entry by entry: the table's records are packed, so a reference to
    // the whole array would bind to a copy.
    Palette palette{};
    for (std::size_t i = 0; chain && i < palette.size(); ++i)
        palette[i] = chain->palette[i];
    return palette;
}

std::uint32_t rgbFromPaletteEntry(std::uint32_t entry)
{
    const double y = 1.164 * (int((entry >> 16) & 0xff) - 16);
    const int cr = int((entry >> 8) & 0xff) - 128;
    const int cb = int(entry & 0xff) - 128;
    const auto channel = [](double v) {
        return std::uint32_t(std::clamp(std::lround(v), long(0), long(255)));
    };
    return channel(y + 1.596 * cr) << 16 | channel(y - 0.813 * cr - 0.391 * cb) << 8 |
           channel(y + 2.018 * cb);
}

} // namespace dvd
