#include "SectorReader.h"

#include "Log.h"

#include <dvdread/dvd_reader.h>

namespace dvd
{

SectorReader::SectorReader(std::shared_ptr<dvd_reader_s> reader, dvd_file_s *file,
                           std::vector<SectorRange> ranges)
    : m_reader(std::move(reader)), m_file(file), m_ranges(std::move(ranges))
{
    if (!m_ranges.empty())
        m_next = m_ranges.front().firstSector;
}

SectorReader::~SectorReader()
{
    if (m_file)
        DVDCloseFile(m_file);
}

std::int64_t SectorReader::totalBytes() const
{
    std::int64_t total = 0;
    for (const SectorRange &range : m_ranges) {
        if (range.lastSector >= range.firstSector)
            total += (std::int64_t(range.lastSector) - range.firstSector + 1) * sectorSize;
    }
    return total;
}

bool SectorReader::seek(std::int64_t index)
{
    if (index < 0)
        return false;
    for (std::size_t i = 0; i < m_ranges.size(); ++i) {
        const SectorRange &range = m_ranges[i];
        if (range.lastSector < range.firstSector)
            continue;
        const std::int64_t count = std::int64_t(range.lastSector) - range.firstSector + 1;
        if (index < count) {
            m_range = i;
            m_next = range.firstSector + std::uint32_t(index);
            return true;
        }
        index -= count;
    }
    return false;
}

std::int64_t SectorReader::read(std::vector<std::uint8_t> &buffer, int maxSectors)
{
    while (m_range < m_ranges.size() &&
           (m_ranges[m_range].lastSector < m_ranges[m_range].firstSector ||
            m_next > m_ranges[m_range].lastSector)) {
        if (++m_range < m_ranges.size())
            m_next = m_ranges[m_range].firstSector;
    }
    if (m_range >= m_ranges.size() || maxSectors < 1)
        return 0;
    const std::uint32_t left = m_ranges[m_range].lastSector - m_next + 1;
    const std::uint32_t count = std::min<std::uint32_t>(left, std::uint32_t(maxSectors));
    buffer.resize(std::size_t(count) * sectorSize);
    const ssize_t got = DVDReadBlocks(m_file, int(m_next), count, buffer.data());
    if (got <= 0) {
        log(LogLevel::Error, "cannot read sector " + std::to_string(m_next) + " of a title set");
        buffer.clear();
        return -1;
    }
    m_next += std::uint32_t(got);
    buffer.resize(std::size_t(got) * sectorSize);
    return std::int64_t(got) * sectorSize;
}

} // namespace dvd
