#pragma once

#include "ScanAnalysis.h"

#include <optional>
#include <string>

// Keeps each title's analysis in the user's cache folder, so that a title is
// analysed once: one small text file per title, named after a hash of its
// key and holding the key itself, so that two keys of one hash never mix.
// Files are written whole under a temporary name and then renamed, so that
// launchers running side by side never read half a file.
class PictureCache
{
public:
    explicit PictureCache(std::string folder);

    // $XDG_CACHE_HOME (or ~/.cache) + "/VelkoFreeDVDRipper/picture".
    static std::string defaultFolder();

    // The keys: a DVD title by the disc's identity (a hash of its tables,
    // whichever drive or folder it is read from) and its number; a file by
    // its path, size and time of change.
    static std::string titleKey(const std::string &discIdentity, int title);
    static std::optional<std::string> fileKey(const std::string &path);

    std::optional<PictureAnalysis> find(const std::string &key) const;
    bool store(const std::string &key, const PictureAnalysis &analysis) const;

private:
    std::string pathFor(const std::string &key) const;

    std::string m_folder;
};
