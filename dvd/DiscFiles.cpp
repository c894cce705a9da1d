#include "DiscFiles.h"

#include "FileKind.h"
#include "Log.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace dvd
{

namespace fs = std::filesystem;

namespace
{

bool equalsIgnoringCase(const std::string &a, const char *b)
{
    const std::size_t length = std::strlen(b);
    if (a.size() != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y))
            return false;
    }
    return true;
}

bool holdsTables(const fs::path &folder)
{
    return !findEntry(folder, "VIDEO_TS.IFO").empty() || !findEntry(folder, "VIDEO_TS.BUP").empty();
}

// Whether a file name ends in one of the extensions of a DVD's own files.
bool isDiscFileName(const std::string &name)
{
    if (name.size() < 4)
        return false;
    const std::string extension = name.substr(name.size() - 4);
    return equalsIgnoringCase(extension, ".IFO") || equalsIgnoringCase(extension, ".BUP") ||
           equalsIgnoringCase(extension, titleExtension.data());
}

} // namespace

std::string refusedSourceReason(const fs::path &source)
{
    if (std::string reason = refusedFileReason(source.string()); !reason.empty())
        return reason;
    std::error_code error;
    if (!fs::is_directory(source, error))
        return {};
    const fs::path folder = findVideoFolder(source);
    for (fs::directory_iterator it(folder, error), end; !folder.empty() && !error && it != end;
         it.increment(error)) {
        if (!isDiscFileName(it->path().filename().string()))
            continue;
        if (std::string reason = refusedFileReason(it->path().string()); !reason.empty())
            return reason;
    }
    return {};
}

fs::path findEntry(const fs::path &folder, const char *name)
{
    std::error_code error;
    const fs::path exact = folder / name;
    if (fs::exists(exact, error))
        return exact;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (equalsIgnoringCase(it->path().filename().string(), name))
            return it->path();
    }
    return {};
}

fs::path findVideoFolder(const fs::path &folder)
{
    if (holdsTables(folder))
        return folder;
    const fs::path sub = findEntry(folder, "VIDEO_TS");
    std::error_code error;
    if (!sub.empty() && fs::is_directory(sub, error) && holdsTables(sub))
        return sub;
    return {};
}

std::vector<Piece> readPieces(dvd_reader_t *reader, int titleSet, const fs::path &videoFolder)
{
    std::vector<Piece> pieces;
    dvd_stat_t stat{};
    if (DVDFileStat(reader, titleSet, DVD_READ_TITLE_VOBS, &stat) != 0) {
        log(LogLevel::Warning,
            "title set " + std::to_string(titleSet) + ": its title files cannot be found");
        return pieces;
    }
    std::uint32_t sector = 0;
    for (int k = 0; k < stat.nr_parts && k < 9; ++k) {
        Piece piece;
        piece.titleSet = titleSet;
        piece.number = k + 1;
        piece.sizeBytes = stat.parts_size[k];
        piece.firstSector = sector;
        if (!videoFolder.empty()) {
            char name[16];
            std::snprintf(name, sizeof name, "VTS_%02d_%d%s", titleSet, k + 1,
                          titleExtension.data());
            const fs::path found = findEntry(videoFolder, name);
            piece.path = found.empty() ? (videoFolder / name).string() : found.string();
        }
        sector += std::uint32_t(piece.sizeBytes / sectorSize);
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

} // namespace dvd
