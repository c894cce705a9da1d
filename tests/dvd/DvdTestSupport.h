#pragma once

// Helpers of the DVD reader's tests: the fixture folders and a count of the
// video packets of a file or of byte ranges of files, which gives a play
// time that does not depend on the DVD's tables.
#include "DiscTypes.h"
#include "Fixture.h"
#include "MediaProbe.h"

#include <QFile>
#include <QString>
#include <QTemporaryFile>

#include <memory>
#include <vector>

namespace dvdtest
{

using testsupport::dvdFixture;

// Video packets ffprobe counts in input (a path or a protocol URL); -1
// when it cannot read it.
inline qint64 countVideoPackets(const QString &input)
{
    return testsupport::videoPackets(input);
}

// The play time of count video frames (one per packet) in ms.
inline qint64 framesToMs(qint64 count, dvd::VideoStandard standard)
{
    return standard == dvd::VideoStandard::Pal ? count * 40 : count * 1001 / 30;
}

// Video packets in the given byte ranges, read as one stream through
// ffmpeg's concatf and subfile protocols.
inline qint64 countVideoPackets(const std::vector<dvd::ByteRange> &ranges)
{
    QTemporaryFile list;
    if (!list.open())
        return -1;
    for (const dvd::ByteRange &range : ranges) {
        list.write(QStringLiteral("subfile,,start,%1,end,%2,,:%3\n")
                       .arg(range.start)
                       .arg(range.end)
                       .arg(QString::fromStdString(range.path))
                       .toUtf8());
    }
    list.flush();
    return countVideoPackets(QStringLiteral("concatf:") + list.fileName());
}

inline QByteArray readBytes(const QString &path, qint64 start, qint64 end)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(start))
        return {};
    return file.read(end - start);
}

} // namespace dvdtest
