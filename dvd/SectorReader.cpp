#include "SectorReader.h"

#include "Log.h"
#include "SectorFaults.h"

#include <algorithm>
#include <cstring>

#include <dvdread/dvd_reader.h>

namespace dvd
{

namespace
{

bool isEmpty(const SectorRange &range)
{
    return range.lastSector < range.firstSector;
}

std::int64_t sectorsOf(const SectorRange &range)
{
    return isEmpty(range) ? 0 : std::int64_t(range.lastSector) - range.firstSector + 1;
}

} // namespace

SectorReader::SectorReader(std::shared_ptr<dvd_reader_s> reader, dvd_file_s *file, int titleSet,
                           std::vector<SectorRange> ranges,
                           std::shared_ptr<const std::vector<std::uint32_t>> unitStarts)
    : m_reader(std::move(reader)), m_file(file), m_titleSet(titleSet), m_ranges(std::move(ranges)),
      m_unitStarts(std::move(unitStarts))
{
    for (const SectorRange &range : m_ranges) {
        m_rangeIndex.push_back(m_total);
        m_total += sectorsOf(range);
    }
    if (!m_ranges.empty())
        m_next = m_ranges.front().firstSector;
}

SectorReader::~SectorReader()
{
    if (m_file)
        DVDCloseFile(m_file);
}

std::int64_t SectorReader::position() const
{
    if (m_range >= m_ranges.size())
        return m_total;
    return m_rangeIndex[m_range] + (std::int64_t(m_next) - m_ranges[m_range].firstSector);
}

std::int64_t SectorReader::timeAt(std::int64_t index) const
{
    if (m_total <= 0 || m_durationMs <= 0)
        return 0;
    return std::clamp<std::int64_t>(index, 0, m_total) * m_durationMs / m_total;
}

bool SectorReader::seek(std::int64_t index)
{
    if (index < 0)
        return false;
    for (std::size_t i = 0; i < m_ranges.size(); ++i) {
        const std::int64_t count = sectorsOf(m_ranges[i]);
        if (index < count) {
            m_range = i;
            m_next = m_ranges[i].firstSector + std::uint32_t(index);
            return true;
        }
        index -= count;
    }
    return false;
}

void SectorReader::skipEmptyRanges()
{
    while (m_range < m_ranges.size() &&
           (isEmpty(m_ranges[m_range]) || m_next > m_ranges[m_range].lastSector)) {
        if (++m_range < m_ranges.size())
            m_next = m_ranges[m_range].firstSector;
    }
}

int SectorReader::readBlocks(std::uint32_t first, std::uint32_t count, std::uint8_t *data)
{
    if (sectorsFail(m_titleSet, first, count))
        return -1;
    const ssize_t got = DVDReadBlocks(m_file, int(first), count, data);
    return got > 0 ? int(got) : -1;
}

int SectorReader::readSectorBySector(std::uint32_t first, std::uint32_t count, std::uint8_t *data)
{
    std::uint32_t done = 0;
    for (; done < count; ++done) {
        std::uint8_t *at = data + std::size_t(done) * sectorSize;
        if (readBlocks(first + done, 1, at) != 1 && readBlocks(first + done, 1, at) != 1)
            break;
    }
    return int(done);
}

void SectorReader::skipUnreadable()
{
    const SectorRange &range = m_ranges[m_range];
    const std::int64_t from = position();
    // The next unit that starts inside this range, or the next range (each
    // begins a cell, and so a unit).
    std::uint32_t resume = range.lastSector + 1;
    if (m_unitStarts) {
        const auto next = std::upper_bound(m_unitStarts->begin(), m_unitStarts->end(), m_next);
        if (next != m_unitStarts->end() && *next <= range.lastSector)
            resume = *next;
    }
    m_next = resume;
    skipEmptyRanges();
    const std::int64_t count = position() - from;
    log(LogLevel::Warning, "cannot read sector " + std::to_string(from) + " of title set " +
                               std::to_string(m_titleSet) + "'s range; skipped " +
                               std::to_string(count) + " sectors");
    if (!m_skipped.empty() && m_skipped.back().index + m_skipped.back().count == from)
        m_skipped.back().count += count;
    else
        m_skipped.push_back({from, count});
    m_skippedTotal += count;
}

void SectorReader::setSkipLimits(std::int64_t totalSectors, std::int64_t stretchSectors)
{
    m_totalLimit = totalSectors;
    m_stretchLimit = stretchSectors;
}

bool SectorReader::beyondLimits() const
{
    return (m_totalLimit >= 0 && m_skippedTotal > m_totalLimit) ||
           (m_stretchLimit >= 0 && !m_skipped.empty() && m_skipped.back().count > m_stretchLimit);
}

std::int64_t SectorReader::read(std::vector<std::uint8_t> &buffer, int maxSectors)
{
    for (;;) {
        skipEmptyRanges();
        if (m_range >= m_ranges.size() || maxSectors < 1) {
            buffer.clear();
            return 0;
        }
        const std::uint32_t left = m_ranges[m_range].lastSector - m_next + 1;
        const std::uint32_t count = std::min<std::uint32_t>(left, std::uint32_t(maxSectors));
        buffer.resize(std::size_t(count) * sectorSize);
        int got = readBlocks(m_next, count, buffer.data());
        if (got <= 0)
            got = readBlocks(m_next, count, buffer.data());
        if (got <= 0)
            got = readSectorBySector(m_next, count, buffer.data());
        if (got > 0) {
            m_lastReadAt = position();
            m_next += std::uint32_t(got);
            buffer.resize(std::size_t(got) * sectorSize);
            return std::int64_t(got) * sectorSize;
        }
        skipUnreadable();
        if (beyondLimits()) {
            buffer.clear();
            return -1;
        }
    }
}

} // namespace dvd
