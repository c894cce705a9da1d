// TitleLayout: where the titles inside one DVD title file (VTS_nn_k.VOB)
// lie, from the DVD's own tables. Such a file may hold the end of one title
// and the start of the next, and the timestamps start again at each title,
// so neither the file's length nor a timestamp seek can be trusted there.
#pragma once

#include "prevkit.h"

#include <QString>

#include <vector>

namespace prevkit
{

// One title's content in the file: bytes [byteStart, byteEnd), playing from
// `start` for `length` seconds of the file's time.
struct TitleSegment {
    qint64 byteStart = 0;
    qint64 byteEnd = 0;
    double start = 0;
    double length = 0;
};

struct TitleLayout {
    double duration = -1;               // seconds; negative when the tables gave nothing
    std::vector<TitleSegment> segments; // in byte order
    bool isValid() const { return duration > 0 && !segments.empty(); }
    // The segment holding byte `position` (the last one before it).
    int segmentAt(qint64 position) const;
    // The segment playing at `seconds`.
    int segmentOfTime(double seconds) const;
};

// The layout of `path` when it is a title file of a DVD whose tables read;
// an invalid layout for any other file.
PREVKIT_EXPORT TitleLayout titleLayout(const QString &path);

} // namespace prevkit
