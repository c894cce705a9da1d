// Decoder: reads one file's video stream with FFmpeg's libraries and hands out
// its frames as images, in display order. Used by one thread at a time (the
// player's worker); nothing here touches the GUI.
#pragma once

#include <QImage>
#include <QString>

#include <atomic>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

// One decoded picture and where it lies in the file.
struct DecodedFrame {
    QImage image;             // RGB32, the video's stored size
    double position = 0;      // seconds from the start of the file
    double pixelAspect = 1.0; // width of one pixel over its height
};

class Decoder
{
public:
    enum class Status { Frame, End, Failed };

    Decoder();
    ~Decoder();
    Decoder(const Decoder &) = delete;
    Decoder &operator=(const Decoder &) = delete;

    // Opens `path` and its best video stream. Every blocking read polls
    // `abort`; when it turns true the read gives up and the call fails.
    bool open(const QString &path, const std::atomic<bool> *abort, QString *error);
    void close();
    bool isOpen() const { return m_codec != nullptr; }

    double duration() const { return m_duration; } // seconds; negative when unknown
    double frameInterval() const { return m_frameInterval; }

    // The next frame after the last one returned (or after a seek).
    Status next(DecodedFrame &frame);

    // Positions the stream so that next() returns the first frame at or after
    // `seconds`. False when the file cannot seek there; the position is then
    // unchanged only if the demuxer left it alone.
    bool seek(double seconds);

private:
    Status receive(DecodedFrame &frame, bool *haveFrame);
    double framePosition();
    void convert(DecodedFrame &frame);

    AVFormatContext *m_format = nullptr;
    AVCodecContext *m_codec = nullptr;
    AVPacket *m_packet = nullptr;
    AVFrame *m_frame = nullptr;
    SwsContext *m_scaler = nullptr;
    int m_stream = -1;

    double m_duration = -1;
    double m_frameInterval = 0.04;
    double m_origin = 0;     // the file's start time, in seconds
    bool m_draining = false; // the demuxer is exhausted; the decoder is being emptied
    double m_skipUntil = -1; // frames before this position are decoded and dropped
    bool m_havePrevious = false;
    double m_previous = 0; // position of the last frame handed out
    double m_offset = 0;   // added to timestamps across a discontinuity
};
