#include "Decoder.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <mutex>

Q_LOGGING_CATEGORY(lcDecoder, "velko.prevkit", QtWarningMsg)

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

// A timestamp step backwards, or a leap forwards larger than this, is taken
// for a discontinuity (DVD cells and joined titles restart their clocks).
constexpr double kBackwardJump = 0.5;
constexpr double kForwardJump = 3.0;
// Seeks land this far before the target so that decoding starts at a key
// frame and then runs forward to the exact frame.
constexpr double kSeekLead = 1.0;
// Unreadable packets in a row after which the file counts as broken.
constexpr int kMaxDamagedPackets = 100;

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

    // A title is a regular file. A pipe or a device could block the first read
    // for ever, where no interrupt reaches it.
    const QFileInfo info(path);
    if (!info.isFile())
        return fail(info.exists() ? QStringLiteral("not a regular file")
                                  : QStringLiteral("no such file"));

    m_format = avformat_alloc_context();
    if (!m_format)
        return fail(QStringLiteral("out of memory"));
    m_format->interrupt_callback.callback = interruptRead;
    m_format->interrupt_callback.opaque = const_cast<std::atomic<bool> *>(abort);

    // Local files only: an explicit file: URL keeps a name with a colon from
    // being read as a protocol, and the whitelist keeps playlist-like files
    // from reaching out to the network.
    const QByteArray url = "file:" + QFile::encodeName(info.absoluteFilePath());
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    int rc = avformat_open_input(&m_format, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (rc < 0) {
        m_format = nullptr; // freed by avformat_open_input
        return fail(errorText(rc));
    }
    rc = avformat_find_stream_info(m_format, nullptr);
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
    if (!m_packet || !m_frame)
        return fail(QStringLiteral("out of memory"));

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

    qCDebug(lcDecoder) << "opened" << path << m_format->iformat->name << codec->name
                       << m_codec->width << "x" << m_codec->height << "duration" << m_duration
                       << "start" << m_origin;
    return true;
}

void Decoder::close()
{
    sws_freeContext(m_scaler);
    m_scaler = nullptr;
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codec);
    avformat_close_input(&m_format);
    m_stream = -1;
    m_duration = -1;
    m_frameInterval = 0.04;
    m_origin = 0;
    m_draining = false;
    m_skipUntil = -1;
    m_havePrevious = false;
    m_previous = 0;
    m_offset = 0;
}

Decoder::Status Decoder::next(DecodedFrame &frame)
{
    if (!isOpen())
        return Status::Failed;
    int damaged = 0;
    for (;;) {
        bool haveFrame = false;
        const Status status = receive(frame, &haveFrame);
        if (haveFrame || status != Status::Frame)
            return status;

        // The decoder wants more input.
        const int rc = av_read_frame(m_format, m_packet);
        if (rc == AVERROR_EOF || (rc < 0 && m_format->pb && avio_feof(m_format->pb))) {
            m_draining = true;
            avcodec_send_packet(m_codec, nullptr);
            continue;
        }
        if (rc == AVERROR_INVALIDDATA && ++damaged < kMaxDamagedPackets)
            continue; // a damaged stretch: read on
        if (rc < 0) {
            qCDebug(lcDecoder) << "read failed:" << errorText(rc);
            return Status::Failed;
        }
        damaged = 0;
        if (m_packet->stream_index == m_stream) {
            const int sent = avcodec_send_packet(m_codec, m_packet);
            if (sent < 0 && sent != AVERROR(EAGAIN))
                qCDebug(lcDecoder) << "packet dropped:" << errorText(sent);
        }
        av_packet_unref(m_packet);
    }
}

// Takes decoded frames until one is due to be shown. Status::Frame with
// *haveFrame false means the decoder needs another packet.
Decoder::Status Decoder::receive(DecodedFrame &frame, bool *haveFrame)
{
    for (;;) {
        const int rc = avcodec_receive_frame(m_codec, m_frame);
        if (rc == AVERROR(EAGAIN))
            return m_draining ? Status::End : Status::Frame;
        if (rc == AVERROR_EOF)
            return Status::End;
        if (rc < 0) {
            qCDebug(lcDecoder) << "decoding failed:" << errorText(rc);
            return Status::Failed;
        }
        const double position = framePosition();
        if (m_skipUntil >= 0 && position < m_skipUntil - m_frameInterval / 2) {
            av_frame_unref(m_frame);
            continue;
        }
        m_skipUntil = -1;
        frame.position = position;
        convert(frame);
        av_frame_unref(m_frame);
        *haveFrame = true;
        return Status::Frame;
    }
}

double Decoder::framePosition()
{
    const AVStream *stream = m_format->streams[m_stream];
    double position;
    if (m_frame->best_effort_timestamp == AV_NOPTS_VALUE) {
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

void Decoder::convert(DecodedFrame &frame)
{
    const int width = m_frame->width;
    const int height = m_frame->height;
    const auto format = static_cast<AVPixelFormat>(m_frame->format);
    m_scaler = sws_getCachedContext(m_scaler, width, height, format, width, height,
                                    AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    QImage image(width, height, QImage::Format_RGB32);
    if (!m_scaler || image.isNull()) {
        frame.image = QImage();
        return;
    }
    const int space =
        m_frame->colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : int(m_frame->colorspace);
    const int fullRange = m_frame->color_range == AVCOL_RANGE_JPEG ? 1 : 0;
    sws_setColorspaceDetails(m_scaler, sws_getCoefficients(space), fullRange,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    uint8_t *planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {int(image.bytesPerLine()), 0, 0, 0};
    sws_scale(m_scaler, m_frame->data, m_frame->linesize, 0, height, planes, strides);
    frame.image = image;

    const AVRational aspect =
        av_guess_sample_aspect_ratio(m_format, m_format->streams[m_stream], m_frame);
    frame.pixelAspect = aspect.num > 0 && aspect.den > 0 ? av_q2d(aspect) : 1.0;
}

bool Decoder::seek(double seconds)
{
    if (!isOpen())
        return false;
    seconds = std::max(0.0, seconds);
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
    avcodec_flush_buffers(m_codec);
    m_draining = false;
    m_skipUntil = seconds;
    m_havePrevious = false;
    m_offset = 0;
    return true;
}
