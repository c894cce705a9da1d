#include "SourceInput.h"

#include "Disc.h"
#include "PieceLookup.h"
#include "Scrambling.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <unistd.h>

namespace
{

bool writeAll(int fd, const std::uint8_t *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

} // namespace

bool readerForcedByEnvironment()
{
    const char *value = std::getenv("VELKO_READ_THROUGH_DVD");
    return value && std::strcmp(value, "1") == 0;
}

SourceInput inputForSource(const std::string &source, bool forceReader)
{
    SourceInput input;
    input.arguments = {"-i", source};
    if (!dvd::isTitleFileName(source))
        return input;
    const bool scrambled = dvd::checkTitleFile(source) == dvd::ScrambleState::Scrambled;
    if (!scrambled && !forceReader)
        return input;
    if (scrambled && !forceReader && !dvd::decryptionAvailable()) {
        input.note = "the title file is scrambled and libdvdcss is not installed";
        return input;
    }
    std::optional<dvd::PieceInfo> info = dvd::lookUpPiece(source);
    if (!info) {
        if (scrambled)
            input.note = "the title file is scrambled and its DVD's tables cannot be read";
        return input;
    }
    std::shared_ptr<dvd::SectorReader> reader =
        info->disc->openPiece(info->piece.titleSet, info->piece.number);
    if (!reader) {
        input.note = "the title file cannot be opened through libdvdread";
        return input;
    }
    input.arguments = {"-i", "/dev/fd/" + std::to_string(feedDescriptor)};
    input.note = scrambled ? "reading the scrambled title file through libdvdread"
                           : "reading the title file through libdvdread";
    // The disc stays open as long as the feeder lives: the reader holds it.
    input.feeder = [reader, disc = info->disc](int fd) {
        std::vector<std::uint8_t> buffer;
        for (;;) {
            const std::int64_t got = reader->read(buffer);
            if (got == 0)
                return true;
            if (got < 0 || !writeAll(fd, buffer.data(), buffer.size()))
                return false;
        }
    };
    return input;
}
