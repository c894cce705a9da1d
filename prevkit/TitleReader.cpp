#include "TitleReader.h"

#include "Disc.h"
#include "Scrambling.h"
#include "SectorReader.h"
#include "TitleSource.h"
#include "TrackRule.h"

#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace prevkit
{

namespace
{

// Sectors read through libdvdread at a time: 128 KiB, a few reads of the
// demuxer's buffer.
constexpr int kSectorsPerRead = 64;

} // namespace

std::unique_ptr<TitleReader> TitleReader::open(const titles::TitleSource &source,
                                               std::string *error)
{
    auto fail = [&](const std::string &why) {
        if (error)
            *error = why;
        return nullptr;
    };
    const dvd::OpenResult opened = dvd::Disc::open(source.disc);
    if (!opened)
        return fail(opened.message);
    const dvd::Title *title = opened.disc->title(source.title);
    if (!title)
        return fail("the DVD has no title " + std::to_string(source.title));

    std::unique_ptr<TitleReader> reader(new TitleReader);
    reader->m_disc = opened.disc;
    reader->m_duration = double(title->durationMs) / 1000.0;
    // Without a language in the choice, the default track is looked for in
    // the desktop's.
    const std::vector<int> tracks = titles::chosenAudioTracks(
        title->audio, source.choice, titles::localeLanguage(QLocale::system().name().toStdString()),
        false);
    if (!tracks.empty())
        reader->m_soundStreamId = title->audio[std::size_t(tracks.front())].streamId;

    // The pieces of a folder or a mounted disc are read where they lie,
    // unless they are scrambled.
    if (dvd::readsFromFiles(source.disc, title->ranges)) {
        for (const dvd::ByteRange &range : title->ranges) {
            if (range.end <= range.start)
                continue;
            Range part;
            part.fd = ::open(range.path.c_str(), O_RDONLY | O_CLOEXEC);
            if (part.fd < 0)
                return fail("cannot open " + range.path);
            part.start = range.start;
            part.end = range.end;
            part.at = reader->m_size;
            reader->m_size += range.end - range.start;
            reader->m_ranges.push_back(part);
        }
    } else {
        reader->m_sectors = opened.disc->openTitle(title->number);
        if (!reader->m_sectors)
            return fail("the title cannot be opened through libdvdread");
        reader->m_size = reader->m_sectors->totalBytes();
    }
    if (reader->m_size <= 0)
        return fail("the title holds no data");
    return reader;
}

TitleReader::~TitleReader()
{
    for (const Range &range : m_ranges)
        ::close(range.fd);
}

std::int64_t TitleReader::read(std::int64_t offset, std::uint8_t *data, std::int64_t size)
{
    if (offset < 0 || size < 0)
        return -1;
    if (offset >= m_size || size == 0)
        return 0;
    size = std::min(size, m_size - offset);
    return m_sectors ? readSectors(offset, data, size) : readRanges(offset, data, size);
}

std::int64_t TitleReader::readRanges(std::int64_t offset, std::uint8_t *data, std::int64_t size)
{
    // The range holding offset: the last one starting at or before it.
    const auto range = std::upper_bound(m_ranges.begin(), m_ranges.end(), offset,
                                        [](std::int64_t at, const Range &r) { return at < r.at; });
    if (range == m_ranges.begin())
        return -1;
    const Range &part = *(range - 1);
    const std::int64_t inside = offset - part.at;
    const std::int64_t wanted = std::min(size, part.end - part.start - inside);
    for (;;) {
        const ssize_t got = ::pread(part.fd, data, size_t(wanted), off_t(part.start + inside));
        if (got < 0 && errno == EINTR)
            continue;
        // A piece shorter than its tables say is a damaged disc.
        return got > 0 ? std::int64_t(got) : -1;
    }
}

std::int64_t TitleReader::readSectors(std::int64_t offset, std::uint8_t *data, std::int64_t size)
{
    const std::int64_t bufferEnd = m_bufferAt + std::int64_t(m_buffer.size());
    if (offset < m_bufferAt || offset >= bufferEnd) {
        const std::int64_t sector = offset / dvd::sectorSize;
        m_buffer.clear();
        if (!m_sectors->seek(sector))
            return -1;
        if (m_sectors->read(m_buffer, kSectorsPerRead) <= 0) {
            m_buffer.clear();
            return -1;
        }
        // What cannot be read is skipped: the data may start further on.
        m_bufferAt = m_sectors->lastReadAt() * dvd::sectorSize;
        if (offset < m_bufferAt)
            return -1;
    }
    const std::int64_t inside = offset - m_bufferAt;
    const std::int64_t copied = std::min(size, std::int64_t(m_buffer.size()) - inside);
    std::memcpy(data, m_buffer.data() + inside, size_t(copied));
    return copied;
}

TitleLayout TitleReader::layout() const
{
    TitleLayout layout;
    if (m_duration <= 0)
        return layout;
    TitleSegment segment;
    segment.byteEnd = m_size;
    segment.length = m_duration;
    layout.segments.push_back(segment);
    layout.duration = m_duration;
    return layout;
}

} // namespace prevkit
