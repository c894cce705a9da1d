#include "SoundPath.h"

#include <QLoggingCategory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>

Q_DECLARE_LOGGING_CATEGORY(lcDecoder)

namespace prevkit
{

namespace
{

AVSampleFormat sampleFormat(SoundFormat::Sample sample)
{
    switch (sample) {
    case SoundFormat::Sample::UInt8:
        return AV_SAMPLE_FMT_U8;
    case SoundFormat::Sample::Int16:
        return AV_SAMPLE_FMT_S16;
    case SoundFormat::Sample::Int32:
        return AV_SAMPLE_FMT_S32;
    case SoundFormat::Sample::Float:
        return AV_SAMPLE_FMT_FLT;
    }
    return AV_SAMPLE_FMT_S16;
}

} // namespace

SoundPath::~SoundPath()
{
    close();
}

bool SoundPath::open(const AVFormatContext *format, int index)
{
    close();
    const AVStream *stream = format->streams[index];
    const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
    m_codec = codec ? avcodec_alloc_context3(codec) : nullptr;
    m_frame = av_frame_alloc();
    if (!m_codec || !m_frame) {
        close();
        return false;
    }
    int rc = avcodec_parameters_to_context(m_codec, stream->codecpar);
    if (rc >= 0) {
        m_codec->pkt_timebase = stream->time_base;
        rc = avcodec_open2(m_codec, codec, nullptr);
    }
    if (rc < 0 || m_codec->sample_rate <= 0) {
        close();
        return false;
    }
    m_stream = index;
    m_timeBase = av_q2d(stream->time_base);
    return true;
}

void SoundPath::close()
{
    swr_free(&m_resampler);
    av_frame_free(&m_frame);
    avcodec_free_context(&m_codec);
    m_stream = -1;
    m_wanted = false;
    m_format = SoundFormat();
    m_clock.restart();
    m_skipping = false;
    m_skipTarget = 0;
}

SoundFormat SoundPath::storedFormat() const
{
    SoundFormat format;
    if (m_codec) {
        format.sampleRate = m_codec->sample_rate;
        format.channels = std::max(1, m_codec->ch_layout.nb_channels);
    }
    return format;
}

bool SoundPath::setFormat(const SoundFormat &format)
{
    swr_free(&m_resampler);
    m_wanted = false;
    if (!m_codec || !format.isValid())
        return false;
    m_format = format;
    m_wanted = true;
    return true;
}

SoundPath::Result SoundPath::receive(const TitleTimeline &timeline, SoundChunk &sound)
{
    for (;;) {
        const int rc = avcodec_receive_frame(m_codec, m_frame);
        if (rc == AVERROR(EAGAIN))
            return Result::NeedPackets;
        if (rc == AVERROR_EOF)
            return Result::Done;
        if (rc < 0)
            return Result::Failed;
        const bool converted = convert(timeline, sound);
        av_frame_unref(m_frame);
        if (converted)
            return Result::Sound;
    }
}

bool SoundPath::convert(const TitleTimeline &timeline, SoundChunk &sound)
{
    const AVFrame *in = m_frame;
    if (in->nb_samples <= 0 || in->sample_rate <= 0)
        return false;
    const bool stamped = in->best_effort_timestamp != AV_NOPTS_VALUE;
    double position = m_clock.place(timeline, stamped, in->best_effort_timestamp * m_timeBase,
                                    in->pkt_pos, in->nb_samples / double(in->sample_rate));

    if (!m_resampler) {
        AVChannelLayout out;
        av_channel_layout_default(&out, m_format.channels);
        const int rc = swr_alloc_set_opts2(
            &m_resampler, &out, sampleFormat(m_format.sample), m_format.sampleRate,
            const_cast<AVChannelLayout *>(&in->ch_layout), static_cast<AVSampleFormat>(in->format),
            in->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&out);
        if (rc < 0 || swr_init(m_resampler) < 0) {
            qCDebug(lcDecoder) << "sound cannot be converted";
            swr_free(&m_resampler);
            m_wanted = false;
            return false;
        }
    }
    const int room = swr_get_out_samples(m_resampler, in->nb_samples);
    if (room <= 0)
        return false;
    const int frameBytes = m_format.bytesPerFrame();
    sound.samples.resize(qsizetype(room) * frameBytes);
    auto *out = reinterpret_cast<uint8_t *>(sound.samples.data());
    const int made = swr_convert(m_resampler, &out, room,
                                 const_cast<const uint8_t **>(in->extended_data), in->nb_samples);
    if (made <= 0) {
        // Input a parameter change made unconvertible: try afresh next time.
        if (made < 0)
            swr_free(&m_resampler);
        return false;
    }
    sound.samples.resize(qsizetype(made) * frameBytes);
    sound.duration = made / double(m_format.sampleRate);

    // After a seek: sound before the target is dropped, the first stretch
    // cut to start there.
    if (m_skipping) {
        const double skip = m_skipTarget - position;
        if (skip >= sound.duration)
            return false;
        if (skip > 0) {
            const qsizetype cut =
                std::min<qsizetype>(made, qsizetype(std::lround(skip * m_format.sampleRate)));
            sound.samples.remove(0, cut * frameBytes);
            position += cut / double(m_format.sampleRate);
            sound.duration = (made - cut) / double(m_format.sampleRate);
        }
        m_skipping = false;
    }
    sound.position = position;
    return !sound.samples.isEmpty();
}

void SoundPath::restartAt(double seconds, int segment)
{
    if (m_codec)
        avcodec_flush_buffers(m_codec);
    if (m_resampler) // drop the converter's remainder of the sound before
        swr_init(m_resampler);
    m_clock.restart(segment);
    m_skipping = seconds >= 0;
    m_skipTarget = seconds;
}

} // namespace prevkit
