// Decoder: reads one file's video stream and its first sound stream with
// FFmpeg's libraries and hands out pictures in display order and sound in
// the output's format, as they come in the file. Used by one thread at a time
// (the player's worker); nothing here touches the GUI.
#pragma once

#include "DecodedFrame.h"
#include "SoundFormat.h"
#include "TitleLayout.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace prevkit
{

class TitleIo;

class Decoder
{
public:
    // Sound: a stretch of sound. Later: no sound without reading further
    // ahead of the pictures than the queues allow; ask again after a picture.
    enum class Status { Frame, Sound, Later, End, Failed };

    Decoder();
    ~Decoder();
    Decoder(const Decoder &) = delete;
    Decoder &operator=(const Decoder &) = delete;

    // Opens `path` with its best video stream and its first sound stream.
    // `path` is a file (a name that is not UTF-8 carried as FilePath.h
    // does) or a DVD title's source text (TitleSource.h): the title is then
    // read across its pieces, and its duration and seeking follow the
    // disc's tables. Every blocking read polls `abort`; when it turns true
    // the read gives up and the call fails.
    bool open(const QString &path, const std::atomic<bool> *abort, QString *error);
    void close();
    bool isOpen() const { return m_codec != nullptr; }

    // For a DVD title file: where its titles lie, from the DVD's tables. The
    // duration, the positions and seeking then follow the tables, across the
    // restarts of the timestamps. False (and nothing changed) when the file
    // does not match the layout.
    bool setLayout(const TitleLayout &layout);

    double duration() const { return m_duration; } // seconds; negative when unknown
    double frameInterval() const { return m_frameInterval; }

    // The title's sound as it is stored (rate and channels), when it has any.
    bool hasSound() const { return m_sound != nullptr; }
    SoundFormat storedSoundFormat() const;
    // From now on sound comes out as Status::Sound in `format`; until this is
    // called (or after a format the converter refuses) sound is skipped.
    bool setSoundFormat(const SoundFormat &format);

    // The next picture (Frame, End or Failed) and the next stretch of sound
    // (Sound, Later or End) after the last one returned or after a seek. The
    // file is read once; what one stream reads for the other is queued as
    // packets, a bounded amount, because sound and pictures of the same
    // moment lie apart in the file.
    Status nextPicture(DecodedFrame &frame);
    Status nextSound(SoundChunk &sound);

    // Positions the streams so that the next picture and sound are the first
    // at or after `seconds`. False when the file cannot seek
    // there; the position is then unchanged only if the demuxer left it alone.
    bool seek(double seconds);

private:
    enum class Got { Nothing, Output, Done, Failed };
    enum class Read { Packet, End, Failed };
    Read readPacket();
    void sendFront(AVCodecContext *codec, std::deque<AVPacket *> &queue);
    void dropFront(std::deque<AVPacket *> &queue);
    void dropPackets();
    Got receivePicture(DecodedFrame &frame);
    Got receiveSound(SoundChunk &sound);
    double picturePosition();
    double soundPosition(double duration);
    bool convertSound(SoundChunk &sound);
    bool openSound(int stream);
    bool openInput(const QString &path, const std::atomic<bool> *abort, QString *error);
    bool seekInLayout(double seconds, double landing);
    void restartAt(double seconds);
    double layoutPosition(int64_t pos, int *last, double timestamp) const;

    std::unique_ptr<TitleIo> m_titleIo; // what a DVD title is read through
    AVFormatContext *m_format = nullptr;
    AVCodecContext *m_codec = nullptr;
    AVCodecContext *m_sound = nullptr;
    AVPacket *m_packet = nullptr;
    AVFrame *m_frame = nullptr;
    AVFrame *m_soundFrame = nullptr;
    SwrContext *m_resampler = nullptr;
    int m_stream = -1;
    int m_soundStream = -1;
    bool m_soundWanted = false;
    SoundFormat m_soundFormat;

    TitleLayout m_layout;
    std::vector<double> m_segmentStarts; // each title's first timestamp, in seconds
    int m_pictureSegment = 0;            // the title of each stream's last frame
    int m_soundSegment = 0;
    bool m_needKeyFrame = false; // after a byte seek
    int m_seekTries = 0;
    double m_seekLanding = 0; // where the last seek in the layout aimed

    double m_duration = -1;
    double m_frameInterval = 0.04;
    double m_origin = 0;                     // the file's start time, in seconds
    std::deque<AVPacket *> m_picturePackets; // read, not yet decoded
    std::deque<AVPacket *> m_soundPackets;
    size_t m_queuedBytes = 0;
    bool m_eof = false; // the demuxer is exhausted
    bool m_pictureFlushed = false;
    bool m_soundFlushed = false;
    bool m_soundDone = false;
    double m_skipUntil = -1; // pictures and sound before this position are dropped
    bool m_soundSkipping = false;
    double m_skipTarget = 0;
    // Pictures: position of the last one handed out, and what is added to
    // timestamps across a discontinuity.
    bool m_havePrevious = false;
    double m_previous = 0;
    double m_offset = 0;
    // Sound: the same, kept apart (each stream is made continuous by itself).
    bool m_haveSoundEnd = false;
    double m_soundEnd = 0;
    double m_soundOffset = 0;
};

} // namespace prevkit
