// SoundPath: the decoder's sound: the stream's codec, the conversion into the
// output's format and the stream's own clock. The decoder feeds it packets
// (through codec()) and takes stretches of sound placed in the title.
#pragma once

#include "DecodedFrame.h"
#include "SoundFormat.h"
#include "StreamClock.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct SwrContext;

namespace prevkit
{

class SoundPath
{
public:
    enum class Result { Sound, NeedPackets, Done, Failed };

    SoundPath() = default;
    ~SoundPath();
    SoundPath(const SoundPath &) = delete;
    SoundPath &operator=(const SoundPath &) = delete;

    // Opens stream `index` of `format`; false when it cannot be decoded.
    bool open(const AVFormatContext *format, int index);
    void close();
    bool isOpen() const { return m_codec != nullptr; }
    int stream() const { return m_stream; }
    AVCodecContext *codec() const { return m_codec; }

    // The sound as it is stored (rate and channels).
    SoundFormat storedFormat() const;
    // Sound comes out in `format` from now on; until then (or after a
    // format the converter refuses) it is not wanted.
    bool setFormat(const SoundFormat &format);
    bool wanted() const { return m_wanted; }

    // The next stretch of sound decoded from the packets sent so far.
    Result receive(const TitleTimeline &timeline, SoundChunk &sound);

    // After a seek to `seconds` in title `segment`: what was decoded or
    // converted before is dropped, and sound before `seconds` is cut (none
    // when `seconds` is negative).
    void restartAt(double seconds, int segment);

private:
    bool convert(const TitleTimeline &timeline, SoundChunk &sound);

    AVCodecContext *m_codec = nullptr;
    AVFrame *m_frame = nullptr;
    SwrContext *m_resampler = nullptr;
    double m_timeBase = 0; // seconds per timestamp tick
    int m_stream = -1;
    bool m_wanted = false;
    SoundFormat m_format;
    StreamClock m_clock;
    bool m_skipping = false; // sound before m_skipTarget is cut
    double m_skipTarget = 0;
};

} // namespace prevkit
