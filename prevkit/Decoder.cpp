#include "Decoder.h"

#include "AvErrorText.h"
#include "FileKind.h"
#include "FilePath.h"
#include "TitleIo.h"
#include "TitleSource.h"
#include "Tuning.h"

#include <QFileInfo>
#include <QLoggingCategory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
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

// The sound stream to play: the one of id `wantedId` (a DVD title's chosen
// track) where the file has it, else the first. A DVD title file is an MPEG
// program stream whose streams the demuxer numbers as it meets them; the
// disc's own order is that of the stream ids (AC-3 0x80, 0x81, ...), so the
// lowest id comes first.
int soundStream(const AVFormatContext *format, int wantedId)
{
    const bool programStream = std::strcmp(format->iformat->name, "mpeg") == 0;
    int best = -1;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream *stream = format->streams[i];
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_AUDIO ||
            !avcodec_find_decoder(stream->codecpar->codec_id))
            continue;
        if (programStream && stream->id == wantedId)
            return int(i);
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
        return fail(avErrorText(rc));
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
        return fail(avErrorText(rc));
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    if (!m_packet || !m_frame)
        return fail(QStringLiteral("out of memory"));
    // A title whose sound cannot be decoded still shows its pictures.
    const int sound = soundStream(m_format, m_titleIo ? m_titleIo->reader().soundStreamId() : -1);
    if (sound >= 0 && !m_soundPath.open(m_format, sound))
        qCDebug(lcDecoder) << "sound stream" << sound << "cannot be decoded";

    if (m_format->start_time != AV_NOPTS_VALUE)
        m_timeline.origin = m_format->start_time / double(AV_TIME_BASE);
    else if (stream->start_time != AV_NOPTS_VALUE)
        m_timeline.origin = stream->start_time * av_q2d(stream->time_base);
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
                       << "start" << m_timeline.origin << "sound stream" << m_soundPath.stream();
    return true;
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
        if (const std::string refused = dvd::refusedFileReason(file.toStdString());
            !refused.empty())
            return fail(QString::fromStdString(refused));
        if (S_ISDIR(status.st_mode))
            return fail(QStringLiteral("a folder, not a file"));
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
        return fail(avErrorText(rc));
    }
    return true;
}

bool Decoder::setLayout(const TitleLayout &layout)
{
    m_timeline.layout = TitleLayout();
    m_timeline.segmentStarts.clear();
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
        m_timeline.segmentStarts.push_back(first);
    }
    if (av_seek_frame(m_format, -1, 0, AVSEEK_FLAG_BYTE) < 0)
        return false;
    m_timeline.layout = layout;
    m_duration = layout.duration;
    restartAt(-1); // from the start, nothing skipped
    return true;
}

void Decoder::close()
{
    dropPackets();
    m_soundPath.close();
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codec);
    avformat_close_input(&m_format);
    m_titleIo.reset(); // after the demuxer that reads through it
    m_stream = -1;
    m_timeline = TitleTimeline();
    m_pictureClock.restart();
    m_needKeyFrame = false;
    m_seekTries = 0;
    m_seekLanding = 0;
    m_duration = -1;
    m_frameInterval = 0.04;
    m_eof = false;
    m_pictureFlushed = false;
    m_soundFlushed = false;
    m_soundDone = false;
    m_skipUntil = -1;
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
            qCDebug(lcDecoder) << "read failed:" << avErrorText(rc);
            return Read::Failed;
        }
        std::deque<AVPacket *> *queue = nullptr;
        if (m_packet->stream_index == m_stream)
            queue = &m_picturePackets;
        else if (m_packet->stream_index == m_soundPath.stream() && m_soundPath.wanted())
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
        qCDebug(lcDecoder) << "packet dropped:" << avErrorText(sent);
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
    if (!isOpen() || !m_soundPath.wanted() || m_soundDone)
        return Status::End;
    for (;;) {
        switch (m_soundPath.receive(m_timeline, sound)) {
        case SoundPath::Result::Sound:
            return Status::Sound;
        case SoundPath::Result::Done:
        case SoundPath::Result::Failed: // sound that fails to decode ends the sound only
            m_soundDone = true;
            return Status::End;
        case SoundPath::Result::NeedPackets:
            break;
        }
        if (!m_soundPackets.empty()) {
            sendFront(m_soundPath.codec(), m_soundPackets);
            continue;
        }
        if (m_eof) {
            if (m_soundFlushed) {
                m_soundDone = true;
                return Status::End;
            }
            avcodec_send_packet(m_soundPath.codec(), nullptr);
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
            qCDebug(lcDecoder) << "decoding failed:" << avErrorText(rc);
            return Got::Failed;
        }
        if (m_needKeyFrame && !m_frame->key_frame && m_frame->pict_type != AV_PICTURE_TYPE_I) {
            av_frame_unref(m_frame); // no picture to build on yet after a byte seek
            continue;
        }
        m_needKeyFrame = false;
        const AVStream *stream = m_format->streams[m_stream];
        const bool stamped = m_frame->best_effort_timestamp != AV_NOPTS_VALUE;
        const double position = m_pictureClock.place(
            m_timeline, stamped, m_frame->best_effort_timestamp * av_q2d(stream->time_base),
            m_frame->pkt_pos, m_frameInterval);
        bool seekFailed = false;
        if (seekBackFrom(position, &seekFailed)) {
            av_frame_unref(m_frame);
            return seekFailed ? Got::Failed : Got::Nothing;
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

} // namespace prevkit
