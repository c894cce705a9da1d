#include "SourceInput.h"

#include "Disc.h"
#include "PieceLookup.h"
#include "Scrambling.h"

#include "SectorReader.h"

#include <cstdlib>
#include <cstring>
#include <memory>

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
    // The tables give the file's length, which the converted file's is
    // checked against, whether or not its data comes through libdvdread.
    std::optional<dvd::PieceInfo> info = dvd::lookUpPiece(source);
    if (info)
        input.lengthMs = info->piece.durationMs;
    const bool scrambled = dvd::checkTitleFile(source) == dvd::ScrambleState::Scrambled;
    if (!scrambled && !forceReader)
        return input;
    if (scrambled && !forceReader && !dvd::decryptionAvailable()) {
        input.note = "the title file is scrambled and libdvdcss is not installed";
        return input;
    }
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
    input.feeder = [reader, disc = info->disc](int fd) { return dvd::pumpSectors(*reader, fd); };
    return input;
}
