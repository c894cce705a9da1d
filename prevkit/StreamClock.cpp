#include "StreamClock.h"

#include "Tuning.h"

#include <algorithm>

namespace prevkit
{

double StreamClock::place(const TitleTimeline &timeline, bool hasTimestamp, double timestamp,
                          int64_t pos, double duration)
{
    double position;
    if (hasTimestamp && timeline.layout.isValid()) {
        // From the start of the title that holds the byte; with no byte
        // known, in the title of the stream's last frame.
        const auto &segments = timeline.layout.segments;
        if (pos >= 0)
            m_segment = timeline.layout.segmentAt(pos);
        const size_t segment = size_t(std::clamp(m_segment, 0, int(segments.size()) - 1));
        const double first = segment < timeline.segmentStarts.size()
                                 ? timeline.segmentStarts[segment]
                                 : timeline.origin;
        position = segments[segment].start + (timestamp - first);
    } else if (!hasTimestamp) {
        position = m_started ? m_next : 0;
    } else {
        position = timestamp - timeline.origin + m_offset;
        if (m_started && (position < m_next - kBackwardJump || position > m_next + kForwardJump)) {
            // A discontinuity: the stream carries on from where it was.
            m_offset += m_next - position;
            position = m_next;
        }
    }
    if (m_notBeforeStart)
        position = std::max(0.0, position);
    m_started = true;
    m_next = position + duration;
    return position;
}

void StreamClock::restart(int segment)
{
    m_started = false;
    m_next = 0;
    m_offset = 0;
    m_segment = segment;
}

} // namespace prevkit
