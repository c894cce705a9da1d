// TitleReader: the bytes of one DVD title, read at any offset. Where the
// title lies plainly in the piece files of a folder or a mounted disc, its
// byte ranges are read from those files; an image, a device or a scrambled
// title is read in sectors through libdvdread (which decrypts where it can).
// Either way the bytes are every piece of the title in play order and
// nothing of the titles that share its pieces.
#pragma once

#include "TitleLayout.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dvd
{
class Disc;
class SectorReader;
} // namespace dvd

namespace titles
{
struct TitleSource;
} // namespace titles

namespace prevkit
{

class TitleReader
{
public:
    // The title a title source names; nullptr, and why in `error`, when its
    // disc or the title cannot be read.
    static std::unique_ptr<TitleReader> open(const titles::TitleSource &source, std::string *error);
    ~TitleReader();
    TitleReader(const TitleReader &) = delete;
    TitleReader &operator=(const TitleReader &) = delete;

    std::int64_t size() const { return m_size; }
    // Whether the bytes come through libdvdread rather than from the files.
    bool readsSectors() const { return m_sectors != nullptr; }

    // Reads up to `size` bytes at `offset`: the bytes read, 0 at the end,
    // -1 on a read error.
    std::int64_t read(std::int64_t offset, std::uint8_t *data, std::int64_t size);

    // The title as one stretch: all its bytes play for the title's duration
    // from the disc's tables.
    TitleLayout layout() const;

    // The stream id (0x80 ...) of the audio track the source's choice plays
    // first, the one a conversion of the source puts first; -1 for a title
    // without audio.
    int soundStreamId() const { return m_soundStreamId; }

private:
    TitleReader() = default;

    // One byte range of a piece file, and where it starts in the title.
    struct Range {
        int fd = -1;
        std::int64_t start = 0;
        std::int64_t end = 0;
        std::int64_t at = 0;
    };
    std::int64_t readRanges(std::int64_t offset, std::uint8_t *data, std::int64_t size);
    std::int64_t readSectors(std::int64_t offset, std::uint8_t *data, std::int64_t size);

    std::shared_ptr<dvd::Disc> m_disc;
    std::vector<Range> m_ranges;
    std::unique_ptr<dvd::SectorReader> m_sectors;
    std::vector<std::uint8_t> m_buffer; // sectors read last
    std::int64_t m_bufferAt = 0;        // the title's offset of m_buffer's first byte
    std::int64_t m_size = 0;
    double m_duration = 0; // seconds
    int m_soundStreamId = -1;
};

} // namespace prevkit
