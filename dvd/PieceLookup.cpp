#include "PieceLookup.h"

#include "Disc.h"
#include "Log.h"

#include <cctype>
#include <filesystem>

namespace dvd
{

namespace
{

// The title set and piece number a title file's name gives, or {0, 0}.
std::pair<int, int> titleFileNumbers(const std::string &path)
{
    const std::string name = std::filesystem::path(path).filename().string();
    if (name.size() != 12)
        return {0, 0};
    std::string upper;
    for (char c : name)
        upper += char(std::toupper(static_cast<unsigned char>(c)));
    const auto digit = [&](std::size_t i) { return std::isdigit((unsigned char)upper[i]) != 0; };
    if (upper.compare(0, 4, "VTS_") != 0 || !digit(4) || !digit(5) || upper[6] != '_' ||
        !digit(7) || upper.compare(8, titleExtension.size(), titleExtension) != 0)
        return {0, 0};
    const int set = (upper[4] - '0') * 10 + (upper[5] - '0');
    const int piece = upper[7] - '0';
    if (set < 1 || piece < 1)
        return {0, 0};
    return {set, piece};
}

} // namespace

bool isTitleFileName(const std::string &path)
{
    return titleFileNumbers(path).first != 0;
}

std::optional<PieceInfo> lookUpPiece(const std::string &path)
{
    const auto [setNumber, pieceNumber] = titleFileNumbers(path);
    if (setNumber == 0)
        return std::nullopt;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        folder = ".";

    OpenOptions options;
    options.onlyTitleSet = setNumber;
    OpenResult opened = Disc::open(folder.string(), options);
    if (!opened) {
        log(LogLevel::Info, path + ": " + opened.message);
        return std::nullopt;
    }
    const Piece *piece = opened.disc->piece(setNumber, pieceNumber);
    const TitleSet *set = opened.disc->titleSet(setNumber);
    if (!piece || !set) {
        log(LogLevel::Info, path + ": the DVD's tables do not list this title file");
        return std::nullopt;
    }
    PieceInfo info;
    info.disc = opened.disc;
    info.piece = *piece;
    info.video = set->video;
    info.audio = set->audio;
    info.subtitles = set->subtitles;
    return info;
}

} // namespace dvd
