#pragma once

#include <filesystem>

namespace dvd
{

// A private temporary folder in which the .BUP copies of a DVD folder's
// tables stand under the IFO names, and every other file of the DVD (the
// VOBs) is linked as it is: what the DVD looks like to libdvdread when its
// IFO files are left aside. Symbolic links only, removed with the folder.
class BackupTables
{
public:
    // videoFolder: the folder holding the DVD's files (VIDEO_TS).
    explicit BackupTables(const std::filesystem::path &videoFolder);
    ~BackupTables();
    BackupTables(const BackupTables &) = delete;
    BackupTables &operator=(const BackupTables &) = delete;

    // The folder to read the tables from; empty when it could not be made
    // or the DVD has no .BUP copy of its title table.
    const std::filesystem::path &folder() const { return m_folder; }

private:
    std::filesystem::path m_root;
    std::filesystem::path m_folder;
};

} // namespace dvd
