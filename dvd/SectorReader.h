#pragma once

#include "DiscTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

struct dvd_reader_s;
struct dvd_file_s;

namespace dvd
{

// Reads the title VOB sectors of one title set through libdvdread, which
// decrypts them when libdvdcss can be loaded. Made by Disc::openSectors.
class SectorReader
{
public:
    ~SectorReader();
    SectorReader(const SectorReader &) = delete;
    SectorReader &operator=(const SectorReader &) = delete;

    // Reads the next sectors of the given ranges in order into buffer (at
    // most maxSectors of them), and answers the number of bytes read: 0 at
    // the end, -1 on a read error.
    std::int64_t read(std::vector<std::uint8_t> &buffer, int maxSectors = 512);

    // Goes to the index-th sector of all ranges together (from 0), so that
    // the next read starts there. False, and nothing changed, past the end.
    bool seek(std::int64_t index);

    // Bytes all ranges hold together.
    std::int64_t totalBytes() const;

private:
    friend class Disc;
    SectorReader(std::shared_ptr<dvd_reader_s> reader, dvd_file_s *file,
                 std::vector<SectorRange> ranges);

    std::shared_ptr<dvd_reader_s> m_reader; // keeps the disc open while reading
    dvd_file_s *m_file = nullptr;
    std::vector<SectorRange> m_ranges;
    std::size_t m_range = 0;
    std::uint32_t m_next = 0; // next sector of the current range
};

} // namespace dvd
