#pragma once

#include "DiscTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

struct dvd_reader_s;
struct dvd_file_s;

namespace dvd
{

// A stretch of a reader's sectors that could not be read and was skipped:
// from the index-th sector of all its ranges together, count sectors.
struct SkippedSectors {
    std::int64_t index = 0;
    std::int64_t count = 0;
};

// Reads the title VOB sectors of one title set through libdvdread, which
// decrypts them when libdvdcss can be loaded. Made by Disc::openSectors.
//
// A block that cannot be read is tried again, then sector by sector; a
// sector that still fails is skipped together with the rest of its unit
// (VOBU), up to the next unit the title set's address map lists, and the
// stretch is counted in skipped(). The data goes on from there, as a
// scratched disc is best read.
class SectorReader
{
public:
    ~SectorReader();
    SectorReader(const SectorReader &) = delete;
    SectorReader &operator=(const SectorReader &) = delete;

    // Reads the next readable sectors of the given ranges in order into
    // buffer (at most maxSectors of them), and answers the number of bytes
    // read: 0 at the end, -1 when more could not be read than the skip limits
    // allow. They begin at sector lastReadAt().
    std::int64_t read(std::vector<std::uint8_t> &buffer, int maxSectors = 512);
    std::int64_t lastReadAt() const { return m_lastReadAt; }

    // Goes to the index-th sector of all ranges together (from 0), so that
    // the next read starts there. False, and nothing changed, past the end.
    bool seek(std::int64_t index);

    // Bytes and sectors all ranges hold together.
    std::int64_t totalBytes() const { return totalSectors() * sectorSize; }
    std::int64_t totalSectors() const { return m_total; }

    // The stretches skipped so far, in reading order, adjacent ones joined.
    const std::vector<SkippedSectors> &skipped() const { return m_skipped; }
    // Reading gives up (read() answers -1) once more than totalSectors are
    // skipped in all, or more than stretchSectors in one stretch; -1 for no
    // limit, which is the default.
    void setSkipLimits(std::int64_t totalSectors, std::int64_t stretchSectors);

    // The play time the ranges hold, and the time at the index-th sector,
    // reckoned in proportion to the sectors (0 when the time is not known).
    void setDurationMs(std::int64_t ms) { m_durationMs = ms; }
    std::int64_t durationMs() const { return m_durationMs; }
    std::int64_t timeAt(std::int64_t index) const;

private:
    friend class Disc;
    SectorReader(std::shared_ptr<dvd_reader_s> reader, dvd_file_s *file, int titleSet,
                 std::vector<SectorRange> ranges,
                 std::shared_ptr<const std::vector<std::uint32_t>> unitStarts);

    // Reads count sectors from title-set sector first: the number read, or
    // -1. Asks the fault seam first.
    int readBlocks(std::uint32_t first, std::uint32_t count, std::uint8_t *data);
    // Of the sectors from first on, how many read (tried twice each) before
    // the first that does not.
    int readSectorBySector(std::uint32_t first, std::uint32_t count, std::uint8_t *data);
    // Moves past the unreadable sector at the current position to the next
    // unit start (or range), counting what is skipped.
    void skipUnreadable();
    bool beyondLimits() const;
    void skipEmptyRanges();
    std::int64_t position() const;

    std::shared_ptr<dvd_reader_s> m_reader; // keeps the disc open while reading
    dvd_file_s *m_file = nullptr;
    int m_titleSet = 0;
    std::vector<SectorRange> m_ranges;
    std::shared_ptr<const std::vector<std::uint32_t>> m_unitStarts; // sorted, may be empty
    std::vector<std::int64_t> m_rangeIndex; // index of each range's first sector
    std::int64_t m_total = 0;
    std::size_t m_range = 0;
    std::uint32_t m_next = 0; // next sector of the current range
    std::int64_t m_lastReadAt = 0;
    std::int64_t m_durationMs = 0;
    std::vector<SkippedSectors> m_skipped;
    std::int64_t m_skippedTotal = 0;
    std::int64_t m_totalLimit = -1;
    std::int64_t m_stretchLimit = -1;
};

} // namespace dvd
