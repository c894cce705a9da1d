#include "TitleLayout.h"

#include "Disc.h"
#include "FilePath.h"
#include "PieceLookup.h"

#include <algorithm>
#include <filesystem>

namespace prevkit
{

namespace
{

bool samePath(const std::string &a, const std::string &b)
{
    if (a == b)
        return true;
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

} // namespace

int TitleLayout::segmentAt(qint64 position) const
{
    int found = 0;
    for (int i = 0; i < int(segments.size()); ++i)
        if (segments[size_t(i)].byteStart <= position)
            found = i;
    return found;
}

int TitleLayout::segmentOfTime(double seconds) const
{
    int found = 0;
    for (int i = 0; i < int(segments.size()); ++i)
        if (segments[size_t(i)].start <= seconds)
            found = i;
    return found;
}

TitleLayout titleLayout(const QString &path)
{
    TitleLayout layout;
    const std::string file = filepath::toNative(path).toStdString();
    if (!dvd::isTitleFileName(file))
        return layout;
    const std::optional<dvd::PieceInfo> info = dvd::lookUpPiece(file);
    if (!info || !info->disc || info->piece.durationMs <= 0)
        return layout;

    // Each title with content in this file: its bytes here, and whether all
    // of it is here (then its length is the title's) or part (then the part
    // left of the file's length, shared by bytes).
    struct Part {
        TitleSegment segment;
        qint64 bytes = 0;
        bool whole = false;
        double titleLength = 0;
    };
    std::vector<Part> parts;
    for (const int number : info->piece.titles) {
        const dvd::Title *title = info->disc->title(number);
        if (!title)
            continue;
        Part part;
        qint64 all = 0;
        bool any = false;
        for (const dvd::ByteRange &range : title->ranges) {
            all += range.end - range.start;
            if (!samePath(range.path, info->piece.path) && !samePath(range.path, file))
                continue;
            part.bytes += range.end - range.start;
            part.segment.byteStart =
                any ? std::min<qint64>(part.segment.byteStart, range.start) : range.start;
            part.segment.byteEnd =
                any ? std::max<qint64>(part.segment.byteEnd, range.end) : range.end;
            any = true;
        }
        if (!any || part.bytes <= 0)
            continue;
        part.whole = part.bytes >= all;
        part.titleLength = title->durationMs / 1000.0;
        parts.push_back(part);
    }
    if (parts.empty())
        return layout;
    std::sort(parts.begin(), parts.end(), [](const Part &a, const Part &b) {
        return a.segment.byteStart < b.segment.byteStart;
    });

    const double total = info->piece.durationMs / 1000.0;
    double wholeTime = 0;
    qint64 partBytes = 0;
    for (const Part &part : parts) {
        if (part.whole)
            wholeTime += part.titleLength;
        else
            partBytes += part.bytes;
    }
    const double partTime = std::max(0.0, total - wholeTime);
    double start = 0;
    for (Part &part : parts) {
        part.segment.start = start;
        part.segment.length =
            part.whole ? part.titleLength
                       : (partBytes > 0 ? partTime * double(part.bytes) / double(partBytes) : 0);
        start += part.segment.length;
        layout.segments.push_back(part.segment);
    }
    layout.duration = total;
    return layout;
}

} // namespace prevkit
