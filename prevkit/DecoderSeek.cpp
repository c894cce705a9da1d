// The decoder's seek path: to a time of a file, or of a DVD title file by
// the bytes of the title that plays then.
#include "Decoder.h"

#include "AvErrorText.h"
#include "Tuning.h"

#include <QLoggingCategory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cmath>

Q_DECLARE_LOGGING_CATEGORY(lcDecoder)

namespace prevkit
{

bool Decoder::seek(double seconds)
{
    if (!isOpen())
        return false;
    seconds = std::max(0.0, seconds);
    m_seekTries = 0;
    if (m_timeline.layout.isValid())
        return seekInLayout(seconds, seconds - kSeekLead);
    const double landing = std::max(0.0, seconds - kSeekLead) + m_timeline.origin;
    const auto target = static_cast<int64_t>(std::llround(landing * AV_TIME_BASE));
    int rc = avformat_seek_file(m_format, -1, INT64_MIN, target, target, 0);
    if (rc < 0)
        rc = av_seek_frame(m_format, -1, target, AVSEEK_FLAG_BACKWARD);
    if (rc < 0 && seconds - kSeekLead <= 0)
        rc = av_seek_frame(m_format, -1, 0, AVSEEK_FLAG_BYTE); // back to the very start
    if (rc < 0) {
        qCDebug(lcDecoder) << "seek to" << seconds << "failed:" << avErrorText(rc);
        return false;
    }
    restartAt(seconds);
    return true;
}

// A title file's timestamps restart at each title inside it: the byte where
// `landing` lies is estimated from the title's bytes and length. The target
// is `seconds`; should the first picture come after it, the seek goes back
// further (seekBackFrom).
bool Decoder::seekInLayout(double seconds, double landing)
{
    const TitleLayout &layout = m_timeline.layout;
    const TitleSegment &segment = layout.segments[size_t(layout.segmentOfTime(seconds))];
    landing = std::clamp(landing, segment.start, segment.start + segment.length);
    const double part = segment.length > 0 ? (landing - segment.start) / segment.length : 0;
    const auto byte = static_cast<int64_t>(double(segment.byteStart) +
                                           part * double(segment.byteEnd - segment.byteStart));
    m_seekLanding = landing;
    const int rc = av_seek_frame(m_format, -1, byte, AVSEEK_FLAG_BYTE);
    if (rc < 0) {
        qCDebug(lcDecoder) << "seek to byte" << byte << "failed:" << avErrorText(rc);
        return false;
    }
    restartAt(seconds);
    m_needKeyFrame = true;
    return true;
}

bool Decoder::seekBackFrom(double position, bool *failed)
{
    if (!m_timeline.layout.isValid() || m_skipUntil < 0 ||
        position <= m_skipUntil + m_frameInterval / 2 || m_seekTries >= kMaxSeekTries ||
        m_seekLanding <= 0)
        return false;
    // Landed past the target: go back by the overshoot and more.
    ++m_seekTries;
    const double target = m_skipUntil;
    const double back = m_seekLanding - (position - target) - kSeekLead * m_seekTries;
    *failed = !seekInLayout(target, std::max(0.0, back));
    return true;
}

void Decoder::restartAt(double seconds)
{
    avcodec_flush_buffers(m_codec);
    const TitleLayout &layout = m_timeline.layout;
    const int segment = layout.isValid() ? layout.segmentOfTime(std::max(0.0, seconds)) : 0;
    m_soundPath.restartAt(seconds, segment);
    m_pictureClock.restart(segment);
    dropPackets();
    m_eof = false;
    m_pictureFlushed = false;
    m_soundFlushed = false;
    m_soundDone = false;
    m_skipUntil = seconds;
    m_needKeyFrame = false;
}

} // namespace prevkit
