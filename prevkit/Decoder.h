// Decoder: reads one file's video stream and its first sound stream with
// FFmpeg's libraries and hands out pictures in display order and sound in
// the output's format, as they come in the file. Used by one thread at a time
// (the player's worker); nothing here touches the GUI.
#pragma once

#include "DecodedFrame.h"
#include "SoundFormat.h"

#include <QString>

#include <atomic>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace prevkit
{

class Decoder
{
public:
    enum class Status { Frame, Sound, End, Failed };

    Decoder();
    ~Decoder();
    Decoder(const Decoder &) = delete;
    Decoder &operator=(const Decoder &) = delete;

    // Opens `path` with its best video stream and its first sound stream.
    // Every blocking read polls `abort`; when it turns true the read gives up
    // and the call fails.
    bool open(const QString &path, const std::atomic<bool> *abort, QString *error);
    void close();
    bool isOpen() const { return m_codec != nullptr; }

    double duration() const { return m_duration; } // seconds; negative when unknown
    double frameInterval() const { return m_frameInterval; }

    // The title's sound as it is stored (rate and channels), when it has any.
    bool hasSound() const { return m_sound != nullptr; }
    SoundFormat storedSoundFormat() const;
    // From now on sound comes out as Status::Sound in `format`; until this is
    // called (or after a format the converter refuses) sound is skipped.
    bool setSoundFormat(const SoundFormat &format);

    // The next picture or stretch of sound after the last one returned (or
    // after a seek).
    Status next(DecodedFrame &frame, SoundChunk &sound);

    // Positions the streams so that next() returns the first picture and the
    // first sound at or after `seconds`. False when the file cannot seek
    // there; the position is then unchanged only if the demuxer left it alone.
    bool seek(double seconds);

private:
    enum class Got { Nothing, Output, Done, Failed };
    Got receivePicture(DecodedFrame &frame);
    Got receiveSound(SoundChunk &sound);
    double picturePosition();
    double soundPosition(double duration);
    bool convertSound(SoundChunk &sound);
    bool openSound(int stream);

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

    double m_duration = -1;
    double m_frameInterval = 0.04;
    double m_origin = 0;     // the file's start time, in seconds
    bool m_draining = false; // the demuxer is exhausted; the decoders are being emptied
    bool m_pictureDone = false;
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
