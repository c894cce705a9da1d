// StreamClock: where the frames of one stream (the pictures, or the sound)
// lie in the title, from their timestamps. Timestamps restart at DVD cells
// and joined titles; the clock keeps the stream continuous across such a
// jump, each stream by itself. In a DVD title file whose tables give the
// titles it holds, a timestamp counts from the start of its own title.
#pragma once

#include "TitleLayout.h"
#include "prevkit.h"

#include <cstdint>
#include <vector>

namespace prevkit
{

// The file's time line, shared by its streams.
struct TitleTimeline {
    double origin = 0;                 // the file's start time, in seconds
    TitleLayout layout;                // valid for a DVD title file
    std::vector<double> segmentStarts; // each title's first timestamp, in seconds
};

class PREVKIT_EXPORT StreamClock
{
public:
    // `notBeforeStart`: no frame lies before the title's start (pictures);
    // sound may begin a little before the first picture.
    explicit StreamClock(bool notBeforeStart = false) : m_notBeforeStart(notBeforeStart) {}

    // The title position of a frame lasting `duration` seconds, with
    // `timestamp` in seconds (`hasTimestamp` false: none), read from byte
    // `pos` of the file (-1: unknown, as for a frame a parser split off).
    double place(const TitleTimeline &timeline, bool hasTimestamp, double timestamp, int64_t pos,
                 double duration);

    // Forgets the frames before: after a seek into the title `segment`.
    void restart(int segment = 0);

private:
    bool m_notBeforeStart;
    bool m_started = false;
    double m_next = 0;   // where the frame after the last one placed is due
    double m_offset = 0; // added to timestamps since the last jump
    int m_segment = 0;   // the title of the last frame placed
};

} // namespace prevkit
