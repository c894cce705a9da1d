#include "SectorPump.h"

#include "SectorReader.h"

#include <cerrno>
#include <cmath>

#include <unistd.h>

namespace dvd
{

namespace
{

// Writes all of data, answering 0 or the errno of the write that failed.
int writeAll(int fd, const std::uint8_t *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        data += written;
        size -= std::size_t(written);
    }
    return 0;
}

} // namespace

std::int64_t PumpResult::skippedMs() const
{
    std::int64_t total = 0;
    for (const SkippedStretch &stretch : skipped)
        total += stretch.lengthMs;
    return total;
}

PumpResult pumpSectors(SectorReader &reader, int fd, const PumpLimits &limits)
{
    const std::int64_t total = reader.totalSectors();
    const std::int64_t durationMs = reader.durationMs();
    const auto allowed = std::int64_t(std::floor(double(total) * limits.maxShare));
    const std::int64_t stretch =
        durationMs > 0 ? limits.maxStretchMs * total / durationMs : std::int64_t(-1);
    reader.setSkipLimits(allowed, stretch);

    PumpResult result;
    std::vector<std::uint8_t> buffer;
    for (;;) {
        const std::int64_t got = reader.read(buffer);
        if (got <= 0) {
            result.complete = got == 0;
            result.tooDamaged = got < 0;
            break;
        }
        if (const int error = writeAll(fd, buffer.data(), buffer.size())) {
            result.writeFailed = true;
            result.writeError = error;
            break;
        }
        result.bytes += got;
    }
    for (const SkippedSectors &skipped : reader.skipped()) {
        const std::int64_t at = reader.timeAt(skipped.index);
        result.skipped.push_back({at, reader.timeAt(skipped.index + skipped.count) - at});
    }
    if (result.tooDamaged && !result.skipped.empty())
        result.failedAtMs = result.skipped.back().atMs;
    return result;
}

} // namespace dvd
