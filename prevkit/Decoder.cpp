#include "Decoder.h"

#include "FilePath.h"
#include "TitleIo.h"
#include "TitleSource.h"
#include "Tuning.h"

#include <QFileInfo>
#include <QLoggingCategory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <optional>

#include <sys/stat.h>

Q_LOGGING_CATEGORY(lcDecoder, "velko.prevkit", QtWarningMsg)

namespace prevkit
{

namespace
{

// FFmpeg's libraries report to standard error by default; in a player that
// lives inside a program, their messages go to the trace output instead.
void forwardLog(void *context, int level, const char *format, va_list args)
{
    if (level > AV_LOG_WARNING || !lcDecoder().isDebugEnabled())
        return;
    char line[1024];
    int prefix = 1;
    av_log_format_line2(context, level, format, args, line, sizeof line, &prefix);
    qCDebug(lcDecoder, "%s", QByteArray(line).trimmed().constData());
}

int interruptRead(void *opaque)
{
    const auto *abort = static_cast<const std::atomic<bool> *>(opaque);
    return abort && abort->load() ? 1 : 0;
}

QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

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

// The title's first sound stream. A DVD title file is an MPEG program stream
// whose streams the demuxer numbers as it meets them; the disc's own order is
// that of the stream ids (AC-3 0x80, 0x81, ...), so the lowest id comes first.
int firstSoundStream(const AVFormatContext *format)
{
    const bool programStream = std::strcmp(format->iformat->name, "mpeg") == 0;
    int best = -1;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream *stream = format->streams[i];
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_AUDIO ||
            !avcodec_find_decoder(stream->codecpar->codec_id))
            continue;
        if (best < 0 || (programStream && stream->id < format->streams[best]->id))
            best = int(i);
    }
    return best;
}

} // namespace

Decoder::Decoder()
{
    static std::once_flag logForwarded;
    std::call_once(logForwarded, [] { av_log_set_callback(forwardLog); });
}

Decoder::~Decoder()
{
    close();
}

bool Decoder::open(const QString &path, const std::atomic<bool> *abort, QString *error)
{
    close();
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        qCDebug(lcDecoder) << "cannot open" << path << why;
        close();
        return false;
    };

    QString why;
    if (!openInput(path, abort, &why))
        return fail(why);
    int rc = avformat_find_stream_info(m_format, nullptr);
    if (rc < 0)
        return fail(errorText(rc));
    if (abort && abort->load()) // the stream information may be half read
        return fail(QStringLiteral("interrupted"));

    const AVCodec *codec = nullptr;
    m_stream = av_find_best_stream(m_format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (m_stream < 0 || !codec)
        return fail(QStringLiteral("no video stream"));
    AVStream *stream = m_format->streams[m_stream];
    if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC)
        return fail(QStringLiteral("only a cover picture"));

    m_codec = avcodec_alloc_context3(codec);
    if (!m_codec)
        return fail(QStringLiteral("out of memory"));
    rc = avcodec_parameters_to_context(m_codec, stream->codecpar);
    if (rc >= 0) {
        m_codec->pkt_timebase = stream->time_base;
        m_codec->thread_count = 2;
        rc = avcodec_open2(m_codec, codec, nullptr);
    }
    if (rc < 0)
        return fail(errorText(rc));
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    m_soundFrame = av_frame_alloc();
    if (!m_packet || !m_frame || !m_soundFrame)
        return fail(QStringLiteral("out of memory"));
    // A title whose sound cannot be decoded still shows its pictures.
    const int sound = firstSoundStream(m_format);
    if (sound >= 0 && !openSound(sound))
        qCDebug(lcDecoder) << "sound stream" << sound << "cannot be decoded";

    if (m_format->start_time != AV_NOPTS_VALUE)
        m_origin = m_format->start_time / double(AV_TIME_BASE);
    else if (stream->start_time != AV_NOPTS_VALUE)
        m_origin = stream->start_time * av_q2d(stream->time_base);
    if (m_format->duration != AV_NOPTS_VALUE && m_format->duration > 0)
        m_duration = m_format->duration / double(AV_TIME_BASE);
    else if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        m_duration = stream->duration * av_q2d(stream->time_base);
    const AVRational rate = av_guess_frame_rate(m_format, stream, nullptr);
    if (rate.num > 0 && rate.den > 0 && av_q2d(rate) > 1 && av_q2d(rate) < 500)
        m_frameInterval = 1.0 / av_q2d(rate);

    // A DVD title: its length and times from the disc's tables.
    if (m_titleIo && !setLayout(m_titleIo->reader().layout()))
        qCDebug(lcDecoder) << "the title's timestamps do not match its tables";

    qCDebug(lcDecoder) << "opened" << path << m_format->iformat->name << codec->name
                       << m_codec->width << "x" << m_codec->height << "duration" << m_duration
                       << "start" << m_origin << "sound stream" << m_soundStream;
    return true;
}

// The file's time of a timestamp in the title that holds byte `pos`; with no
// byte known (a frame the parser split off a packet), in the title of the
// stream's last frame.
double Decoder::layoutPosition(int64_t pos, int *last, double timestamp) const
{
    if (pos >= 0)
        *last = m_layout.segmentAt(pos);
    const size_t segment = size_t(std::clamp(*last, 0, int(m_layout.segments.size()) - 1));
    const double raw = segment < m_segmentStarts.size() ? m_segmentStarts[segment] : m_origin;
    return m_layout.segments[segment].start + (timestamp - raw);
}

// Opens the demuxer (m_format) on a file or on a DVD title.
bool Decoder::openInput(const QString &path, const std::atomic<bool> *abort, QString *error)
{
    auto fail = [&](const QString &why) {
        *error = why;
        return false;
    };
    const std::optional<titles::TitleSource> title =
        titles::parseTitleSource(filepath::toNative(path).toStdString());
    QByteArray url;
    const AVInputFormat *format = nullptr;
    if (title) {
        std::string why;
        std::unique_ptr<TitleReader> reader = TitleReader::open(*title, &why);
        if (!reader)
            return fail(QString::fromStdString(why));
        m_titleIo = TitleIo::open(std::move(reader), abort);
        if (!m_titleIo)
            return fail(QStringLiteral("out of memory"));
        format = av_find_input_format("mpeg"); // a DVD title is an MPEG program stream
    } else {
        // A title is a regular file. A pipe or a device could block the first
        // read for ever, where no interrupt reaches it. The file is named by
        // its very bytes, also where they are not UTF-8.
        const QByteArray file = filepath::toNative(QFileInfo(path).absoluteFilePath());
        struct stat status = {};
        if (::stat(file.constData(), &status) != 0)
            return fail(QStringLiteral("no such file"));
        if (!S_ISREG(status.st_mode))
            return fail(QStringLiteral("not a regular file"));
        // Local files only: an explicit file: URL keeps a name with a colon
        // from being read as a protocol.
        url = "file:" + file;
    }

    m_format = avformat_alloc_context();
    if (!m_format)
        return fail(QStringLiteral("out of memory"));
    m_format->interrupt_callback.callback = interruptRead;
    m_format->interrupt_callback.opaque = const_cast<std::atomic<bool> *>(abort);
    AVDictionary *options = nullptr;
    if (m_titleIo)
        m_format->pb = m_titleIo->context();
    else // keeps playlist-like files from reaching out to the network
        av_dict_set(&options, "protocol_whitelist", "file", 0);
    const int rc = avformat_open_input(&m_format, url.constData(), format, &options);
    av_dict_free(&options);
    if (rc < 0) {
        m_format = nullptr; // freed by avformat_open_input
        return fail(errorText(rc));
    }
    return true;
}

bool Decoder::setLayout(const TitleLayout &layout)
{
    m_layout = TitleLayout();
    m_segmentStarts.clear();
    if (!isOpen() || !layout.isValid())
        return false;
    // Each title's first timestamp: the smallest of its first pictures'.
    AVPacket *packet = m_packet;
    const AVRational base = m_format->streams[m_stream]->time_base;
    for (const TitleSegment &segment : layout.segments) {
        if (av_seek_frame(m_format, -1, segment.byteStart, AVSEEK_FLAG_BYTE) < 0)
            return false;
        double first = -1;
        int pictures = 0;
        for (int read = 0; read < kMaxProbePackets && pictures < kProbePictures; ++read) {
            if (av_read_frame(m_format, packet) < 0)
                break;
            if (packet->stream_index == m_stream && packet->pts != AV_NOPTS_VALUE &&
                packet->pos < segment.byteEnd) {
                const double pts = packet->pts * av_q2d(base);
                first = first < 0 ? pts : std::min(first, pts);
                ++pictures;
            }
            av_packet_unref(packet);
        }
        if (first < 0)
            return false;
        m_segmentStarts.push_back(first);
    }
    if (av_seek_frame(m_format, -1, 0, AVSEEK_FLAG_BYTE) < 0)
        return false;
    m_layout = layout;
    m_duration = layout.duration;
    m_pictureSegment = m_soundSegment = 0;
    restartAt(0);
    m_skipUntil = -1;
    m_soundSkipping = false;
    return true;
}

bool Decoder::openSound(int index)
{
    const AVStream *stream = m_format->streams[index];
    const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
    m_sound = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!m_sound)
        return false;
    int rc = avcodec_parameters_to_context(m_sound, stream->codecpar);
    if (rc >= 0) {
        m_sound->pkt_timebase = stream->time_base;
        rc = avcodec_open2(m_sound, codec, nullptr);
    }
    if (rc < 0 || m_sound->sample_rate <= 0) {
        avcodec_free_context(&m_sound);
        return false;
    }
    m_soundStream = index;
    return true;
}

void Decoder::close()
{
    dropPackets();
    swr_free(&m_resampler);
    av_frame_free(&m_frame);
    av_frame_free(&m_soundFrame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codec);
    avcodec_free_context(&m_sound);
    avformat_close_input(&m_format);
    m_titleIo.reset(); // after the demuxer that reads through it
    m_stream = -1;
    m_soundStream = -1;
    m_soundWanted = false;
    m_layout = TitleLayout();
    m_segmentStarts.clear();
    m_needKeyFrame = false;
    m_seekTries = 0;
    m_seekLanding = 0;
    m_soundFormat = SoundFormat();
    m_duration = -1;
    m_frameInterval = 0.04;
    m_origin = 0;
    dropPackets();
    m_eof = false;
    m_pictureFlushed = false;
    m_soundFlushed = false;
    m_soundDone = false;
    m_skipUntil = -1;
    m_soundSkipping = false;
    m_skipTarget = 0;
    m_havePrevious = false;
    m_previous = 0;
    m_offset = 0;
    m_haveSoundEnd = false;
    m_soundEnd = 0;
    m_soundOffset = 0;
}

SoundFormat Decoder::storedSoundFormat() const
{
    SoundFormat format;
    if (m_sound) {
        format.sampleRate = m_sound->sample_rate;
        format.channels = std::max(1, m_sound->ch_layout.nb_channels);
    }
    return format;
}

bool Decoder::setSoundFormat(const SoundFormat &format)
{
    swr_free(&m_resampler);
    m_soundWanted = false;
    if (!m_sound || !format.isValid())
        return false;
    m_soundFormat = format;
    m_soundWanted = true;
    return true;
}

// Reads the next packet of the file into the queue of its stream.
Decoder::Read Decoder::readPacket()
{
    if (m_eof)
        return Read::End;
    int damaged = 0;
    for (;;) {
        const int rc = av_read_frame(m_format, m_packet);
        if (rc == AVERROR_EOF || (rc < 0 && m_format->pb && avio_feof(m_format->pb))) {
            m_eof = true;
            return Read::End;
        }
        if (rc == AVERROR_INVALIDDATA && ++damaged < kMaxDamagedPackets)
            continue; // a damaged stretch: read on
        if (rc < 0) {
            qCDebug(lcDecoder) << "read failed:" << errorText(rc);
            return Read::Failed;
        }
        std::deque<AVPacket *> *queue = nullptr;
        if (m_packet->stream_index == m_stream)
            queue = &m_picturePackets;
        else if (m_packet->stream_index == m_soundStream && m_soundWanted)
            queue = &m_soundPackets;
        if (queue) {
            AVPacket *kept = av_packet_alloc();
            if (kept) {
                av_packet_move_ref(kept, m_packet);
                m_queuedBytes += kept->size;
                queue->push_back(kept);
            }
            // Sound nobody takes (the player paused, a seek ahead) is not
            // kept for ever.
            while (m_soundPackets.size() > kMaxSoundPackets)
                dropFront(m_soundPackets);
        }
        av_packet_unref(m_packet);
        return Read::Packet;
    }
}

void Decoder::dropFront(std::deque<AVPacket *> &queue)
{
    AVPacket *packet = queue.front();
    queue.pop_front();
    m_queuedBytes -= std::min<size_t>(m_queuedBytes, size_t(std::max(0, packet->size)));
    av_packet_free(&packet);
}

void Decoder::dropPackets()
{
    while (!m_picturePackets.empty())
        dropFront(m_picturePackets);
    while (!m_soundPackets.empty())
        dropFront(m_soundPackets);
    m_queuedBytes = 0;
}

// Sends the first queued packet of `queue` to `codec`.
void Decoder::sendFront(AVCodecContext *codec, std::deque<AVPacket *> &queue)
{
    const int sent = avcodec_send_packet(codec, queue.front());
    if (sent < 0 && sent != AVERROR(EAGAIN))
        qCDebug(lcDecoder) << "packet dropped:" << errorText(sent);
    dropFront(queue);
}

Decoder::Status Decoder::nextPicture(DecodedFrame &frame)
{
    if (!isOpen())
        return Status::Failed;
    for (;;) {
        switch (receivePicture(frame)) {
        case Got::Output:
            return Status::Frame;
        case Got::Failed:
            return Status::Failed;
        case Got::Done:
            return Status::End;
        case Got::Nothing:
            break;
        }
        if (!m_picturePackets.empty()) {
            sendFront(m_codec, m_picturePackets);
            continue;
        }
        if (m_eof) {
            if (m_pictureFlushed)
                return Status::End;
            avcodec_send_packet(m_codec, nullptr); // the pictures held back come out
            m_pictureFlushed = true;
            continue;
        }
        if (readPacket() == Read::Failed)
            return Status::Failed;
    }
}

Decoder::Status Decoder::nextSound(SoundChunk &sound)
{
    if (!isOpen() || !m_soundWanted || m_soundDone)
        return Status::End;
    for (;;) {
        switch (receiveSound(sound)) {
        case Got::Output:
            return Status::Sound;
        case Got::Done:
        case Got::Failed: // sound that fails to decode ends the sound only
            m_soundDone = true;
            return Status::End;
        case Got::Nothing:
            break;
        }
        if (!m_soundPackets.empty()) {
            sendFront(m_sound, m_soundPackets);
            continue;
        }
        if (m_eof) {
            if (m_soundFlushed) {
                m_soundDone = true;
                return Status::End;
            }
            avcodec_send_packet(m_sound, nullptr);
            m_soundFlushed = true;
            continue;
        }
        // Reading on for sound stores the pictures met on the way; so far
        // and no further.
        if (m_picturePackets.size() >= kMaxPicturePacketsAhead || m_queuedBytes >= kMaxBytesAhead)
            return Status::Later;
        if (readPacket() == Read::Failed)
            return Status::End;
    }
}

// Takes decoded pictures until one is due to be shown.
Decoder::Got Decoder::receivePicture(DecodedFrame &frame)
{
    for (;;) {
        const int rc = avcodec_receive_frame(m_codec, m_frame);
        if (rc == AVERROR(EAGAIN))
            return Got::Nothing;
        if (rc == AVERROR_EOF)
            return Got::Done;
        if (rc < 0) {
            qCDebug(lcDecoder) << "decoding failed:" << errorText(rc);
            return Got::Failed;
        }
        if (m_needKeyFrame && !m_frame->key_frame && m_frame->pict_type != AV_PICTURE_TYPE_I) {
            av_frame_unref(m_frame); // no picture to build on yet after a byte seek
            continue;
        }
        m_needKeyFrame = false;
        const double position = picturePosition();
        if (m_layout.isValid() && m_skipUntil >= 0 &&
            position > m_skipUntil + m_frameInterval / 2 && m_seekTries < kMaxSeekTries &&
            m_seekLanding > 0) {
            // Landed past the target: go back by the overshoot and more.
            av_frame_unref(m_frame);
            ++m_seekTries;
            const double target = m_skipUntil;
            const double back = m_seekLanding - (position - target) - kSeekLead * m_seekTries;
            if (!seekInLayout(target, std::max(0.0, back)))
                return Got::Failed;
            return Got::Nothing;
        }
        if (m_skipUntil >= 0 && position < m_skipUntil - m_frameInterval / 2) {
            av_frame_unref(m_frame);
            continue;
        }
        m_skipUntil = -1;
        const AVRational aspect =
            av_guess_sample_aspect_ratio(m_format, m_format->streams[m_stream], m_frame);
        frame.position = position;
        frame.pixelAspect = aspect.num > 0 && aspect.den > 0 ? av_q2d(aspect) : 1.0;
        frame.width = m_frame->width;
        frame.height = m_frame->height;
        frame.image = QImage();
        // The decoded picture is kept by reference, not copied.
        AVFrame *kept = av_frame_clone(m_frame);
        frame.picture =
            kept ? std::shared_ptr<const AVFrame>(kept,
                                                  [](const AVFrame *picture) {
                                                      auto *p = const_cast<AVFrame *>(picture);
                                                      av_frame_free(&p);
                                                  })
                 : nullptr;
        av_frame_unref(m_frame);
        if (!frame.picture)
            continue;
        return Got::Output;
    }
}

double Decoder::picturePosition()
{
    const AVStream *stream = m_format->streams[m_stream];
    double position;
    if (m_layout.isValid() && m_frame->best_effort_timestamp != AV_NOPTS_VALUE) {
        position = layoutPosition(m_frame->pkt_pos, &m_pictureSegment,
                                  m_frame->best_effort_timestamp * av_q2d(stream->time_base));
    } else if (m_frame->best_effort_timestamp == AV_NOPTS_VALUE) {
        position = m_havePrevious ? m_previous + m_frameInterval : 0;
    } else {
        position = m_frame->best_effort_timestamp * av_q2d(stream->time_base) - m_origin + m_offset;
        if (m_havePrevious &&
            (position < m_previous - kBackwardJump || position > m_previous + kForwardJump)) {
            // Keep the clock running across the jump.
            m_offset += m_previous + m_frameInterval - position;
            position = m_previous + m_frameInterval;
        }
    }
    position = std::max(0.0, position);
    m_havePrevious = true;
    m_previous = position;
    return position;
}

Decoder::Got Decoder::receiveSound(SoundChunk &sound)
{
    for (;;) {
        const int rc = avcodec_receive_frame(m_sound, m_soundFrame);
        if (rc == AVERROR(EAGAIN))
            return Got::Nothing;
        if (rc == AVERROR_EOF)
            return Got::Done;
        if (rc < 0)
            return Got::Failed;
        const bool converted = convertSound(sound);
        av_frame_unref(m_soundFrame);
        if (converted)
            return Got::Output;
    }
}

// Where the sound frame just decoded starts, made continuous like the
// pictures: a restart of the timestamps carries on from where the sound was.
double Decoder::soundPosition(double duration)
{
    const AVStream *stream = m_format->streams[m_soundStream];
    double position;
    if (m_layout.isValid() && m_soundFrame->best_effort_timestamp != AV_NOPTS_VALUE) {
        position = layoutPosition(m_soundFrame->pkt_pos, &m_soundSegment,
                                  m_soundFrame->best_effort_timestamp * av_q2d(stream->time_base));
    } else if (m_soundFrame->best_effort_timestamp == AV_NOPTS_VALUE) {
        position = m_haveSoundEnd ? m_soundEnd : 0;
    } else {
        position = m_soundFrame->best_effort_timestamp * av_q2d(stream->time_base) - m_origin +
                   m_soundOffset;
        if (m_haveSoundEnd &&
            (position < m_soundEnd - kBackwardJump || position > m_soundEnd + kForwardJump)) {
            m_soundOffset += m_soundEnd - position;
            position = m_soundEnd;
        }
    }
    m_haveSoundEnd = true;
    m_soundEnd = position + duration;
    return position;
}

bool Decoder::convertSound(SoundChunk &sound)
{
    const AVFrame *in = m_soundFrame;
    if (in->nb_samples <= 0 || in->sample_rate <= 0)
        return false;
    const double inDuration = in->nb_samples / double(in->sample_rate);
    double position = soundPosition(inDuration);

    if (!m_resampler) {
        AVChannelLayout out;
        av_channel_layout_default(&out, m_soundFormat.channels);
        const int rc = swr_alloc_set_opts2(
            &m_resampler, &out, sampleFormat(m_soundFormat.sample), m_soundFormat.sampleRate,
            const_cast<AVChannelLayout *>(&in->ch_layout), static_cast<AVSampleFormat>(in->format),
            in->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&out);
        if (rc < 0 || swr_init(m_resampler) < 0) {
            qCDebug(lcDecoder) << "sound cannot be converted";
            swr_free(&m_resampler);
            m_soundWanted = false;
            return false;
        }
    }
    const int room = swr_get_out_samples(m_resampler, in->nb_samples);
    if (room <= 0)
        return false;
    const int frameBytes = m_soundFormat.bytesPerFrame();
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
    sound.duration = made / double(m_soundFormat.sampleRate);

    // After a seek: sound before the target is dropped, the first stretch
    // cut to start there.
    if (m_soundSkipping) {
        const double skip = m_skipTarget - position;
        if (skip >= sound.duration)
            return false;
        if (skip > 0) {
            const qsizetype cut =
                std::min<qsizetype>(made, qsizetype(std::lround(skip * m_soundFormat.sampleRate)));
            sound.samples.remove(0, cut * frameBytes);
            position += cut / double(m_soundFormat.sampleRate);
            sound.duration = (made - cut) / double(m_soundFormat.sampleRate);
        }
        m_soundSkipping = false;
    }
    sound.position = position;
    return !sound.samples.isEmpty();
}

bool Decoder::seek(double seconds)
{
    if (!isOpen())
        return false;
    seconds = std::max(0.0, seconds);
    m_seekTries = 0;
    if (m_layout.isValid())
        return seekInLayout(seconds, seconds - kSeekLead);
    const double landing = std::max(0.0, seconds - kSeekLead) + m_origin;
    const auto target = static_cast<int64_t>(std::llround(landing * AV_TIME_BASE));
    int rc = avformat_seek_file(m_format, -1, INT64_MIN, target, target, 0);
    if (rc < 0)
        rc = av_seek_frame(m_format, -1, target, AVSEEK_FLAG_BACKWARD);
    if (rc < 0 && seconds - kSeekLead <= 0)
        rc = av_seek_frame(m_format, -1, 0, AVSEEK_FLAG_BYTE); // back to the very start
    if (rc < 0) {
        qCDebug(lcDecoder) << "seek to" << seconds << "failed:" << errorText(rc);
        return false;
    }
    restartAt(seconds);
    return true;
}

// A title file's timestamps restart at each title inside it: the byte where
// `landing` lies is estimated from the title's bytes and length. The target
// is `seconds`; should the first picture come after it, the seek goes back
// further (see receivePicture).
bool Decoder::seekInLayout(double seconds, double landing)
{
    const TitleSegment &segment = m_layout.segments[size_t(m_layout.segmentOfTime(seconds))];
    landing = std::clamp(landing, segment.start, segment.start + segment.length);
    const double part = segment.length > 0 ? (landing - segment.start) / segment.length : 0;
    const auto byte = static_cast<int64_t>(double(segment.byteStart) +
                                           part * double(segment.byteEnd - segment.byteStart));
    m_seekLanding = landing;
    m_pictureSegment = m_soundSegment = m_layout.segmentOfTime(seconds);
    const int rc = av_seek_frame(m_format, -1, byte, AVSEEK_FLAG_BYTE);
    if (rc < 0) {
        qCDebug(lcDecoder) << "seek to byte" << byte << "failed:" << errorText(rc);
        return false;
    }
    restartAt(seconds);
    m_needKeyFrame = true;
    return true;
}

void Decoder::restartAt(double seconds)
{
    avcodec_flush_buffers(m_codec);
    if (m_sound)
        avcodec_flush_buffers(m_sound);
    if (m_resampler) // drop the converter's remainder of the sound before
        swr_init(m_resampler);
    dropPackets();
    m_eof = false;
    m_pictureFlushed = false;
    m_soundFlushed = false;
    m_soundDone = false;
    m_skipUntil = seconds;
    m_skipTarget = seconds;
    m_soundSkipping = true;
    m_havePrevious = false;
    m_offset = 0;
    m_haveSoundEnd = false;
    m_soundOffset = 0;
    m_needKeyFrame = false;
}

} // namespace prevkit
