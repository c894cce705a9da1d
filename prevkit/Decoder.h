// Decoder: reads one file's video stream and its first sound stream with
// FFmpeg's libraries and hands out pictures in display order and sound in
// the output's format, as they come in the file. Used by one thread at a time
// (the player's worker); nothing here touches the GUI.
#pragma once

#include "DecodedFrame.h"
#include "SoundFormat.h"
#include "SoundPath.h"
#include "StreamClock.h"
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

    // Opens `path` with its best video stream and its first sound stream
    // (for a DVD title, the audio track its source chooses).
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
    bool hasSound() const { return m_soundPath.isOpen(); }
    SoundFormat storedSoundFormat() const { return m_soundPath.storedFormat(); }
    // From now on sound comes out as Status::Sound in `format`; until this is
    // called (or after a format the converter refuses) sound is skipped.
    bool setSoundFormat(const SoundFormat &format) { return m_soundPath.setFormat(format); }

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
    bool openInput(const QString &path, const std::atomic<bool> *abort, QString *error);

    // The seek path (DecoderSeek.cpp).
    bool seekInLayout(double seconds, double landing);
    // A picture decoded after a seek in a DVD title file that lies past the
    // target: the seek goes back further. True when it did so (the picture
    // is dropped); Failed is set when that seek failed.
    bool seekBackFrom(double position, bool *failed);
    // Everything read or decoded before goes; the next picture and sound are
    // the first at or after `seconds` (nothing is skipped when negative).
    void restartAt(double seconds);

    std::unique_ptr<TitleIo> m_titleIo; // what a DVD title is read through
    AVFormatContext *m_format = nullptr;
    AVCodecContext *m_codec = nullptr;
    AVPacket *m_packet = nullptr;
    AVFrame *m_frame = nullptr;
    int m_stream = -1;
    SoundPath m_soundPath;

    TitleTimeline m_timeline;
    StreamClock m_pictureClock{true};
    bool m_needKeyFrame = false; // after a byte seek
    int m_seekTries = 0;
    double m_seekLanding = 0; // where the last seek in the layout aimed

    double m_duration = -1;
    double m_frameInterval = 0.04;
    std::deque<AVPacket *> m_picturePackets; // read, not yet decoded
    std::deque<AVPacket *> m_soundPackets;
    size_t m_queuedBytes = 0;
    bool m_eof = false; // the demuxer is exhausted
    bool m_pictureFlushed = false;
    bool m_soundFlushed = false;
    bool m_soundDone = false;
    double m_skipUntil = -1; // pictures before this position are dropped
};

} // namespace prevkit
