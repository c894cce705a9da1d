#include "BackupTables.h"

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

namespace dvd
{

namespace fs = std::filesystem;

namespace
{

std::string upperCase(std::string text)
{
    for (char &c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

BackupTables::BackupTables(const fs::path &videoFolder)
{
    std::error_code error;
    const fs::path temp = fs::temp_directory_path(error);
    std::string pattern = ((error ? fs::path("/tmp") : temp) / "velko-tables-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return;
    m_root = pattern;
    const fs::path folder = m_root / "VIDEO_TS";
    if (!fs::create_directory(folder, error))
        return;

    bool hasTitleTable = false;
    std::vector<std::string> backups;
    for (fs::directory_iterator it(videoFolder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = upperCase(it->path().filename().string());
        const fs::path target = fs::absolute(it->path(), error);
        if (name.size() > 4 && name.ends_with(".BUP")) {
            const std::string stem = name.substr(0, name.size() - 4);
            fs::create_symlink(target, folder / (stem + ".IFO"), error);
            fs::create_symlink(target, folder / name, error);
            backups.push_back(stem);
            hasTitleTable = hasTitleTable || stem == "VIDEO_TS";
        } else if (!name.ends_with(".IFO")) {
            fs::create_symlink(target, folder / name, error);
        }
        error.clear();
    }
    // A table without a copy is still read from its IFO file.
    for (fs::directory_iterator it(videoFolder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = upperCase(it->path().filename().string());
        if (name.size() > 4 && name.ends_with(".IFO")) {
            std::error_code linkError;
            fs::create_symlink(fs::absolute(it->path(), linkError), folder / name, linkError);
        }
    }
    if (hasTitleTable)
        m_folder = folder;
}

BackupTables::~BackupTables()
{
    if (m_root.empty())
        return;
    std::error_code error;
    fs::remove_all(m_root, error);
}

} // namespace dvd
