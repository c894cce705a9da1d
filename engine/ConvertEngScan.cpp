// Finding the title files of a DVD below a folder or a disc's mount point.
//
// The scan reads folders with the POSIX calls rather than QDir: a name that
// is not valid UTF-8 must be found and opened by its very bytes (FilePath.h),
// and the scan must know which entries are the same folder or file under
// other names.
#include "ConvertEng.h"
#include "FileKind.h"
#include "FilePath.h"
#include "TitleFile.h"

#include <QDir>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

namespace
{

// A title file ends in the extension and is neither a menu (VIDEO_TS.VOB)
// nor the menu part of a title set (VTS_nn_0.VOB). The test is made on the
// whole path, with letter case, as the disc stores its names in capitals.
bool isTitlePath(const QString &path, const QString &extension)
{
    const QString tail = path.size() < 4 ? path : path.right(4);
    return tail == extension && !path.contains(QStringLiteral("_TS") + kTitleExtension) &&
           !path.contains(u'0' + kTitleExtension);
}

using Identity = std::pair<dev_t, ino_t>;

struct Entry {
    QString name;
    QByteArray bytes;
};

// What one scan has met so far. Every real folder is read once and every
// real file listed once, however many links lead to them: folder links that
// fan out (each level linking twice to the next) would otherwise multiply the
// titles by two at every level, and a link back up would never end.
struct ScanState {
    QString extension;
    std::set<Identity> folders;
    std::set<Identity> files;
};

// The entries of a folder in name order (as QDir::Name sorts them), without
// "." and "..". The order matters: the pieces of a title (VTS_01_1.VOB,
// VTS_01_2.VOB, ...) must follow each other, and most Linux file systems
// hand out their names in hash order.
std::vector<Entry> readEntries(const QByteArray &folder)
{
    std::vector<Entry> entries;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return entries;
    while (const dirent *item = ::readdir(dir)) {
        const QByteArray bytes(item->d_name);
        if (bytes == "." || bytes == "..")
            continue;
        entries.push_back({filepath::fromNative(bytes), bytes});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const Entry &a, const Entry &b) { return a.name < b.name; });
    return entries;
}

} // namespace

void ConvertEng::scanFolder(QString extension, QString folder)
{
    ScanState state;
    state.extension = extension;
    // Titles listed by an earlier scan count as met, under whatever name.
    {
        std::lock_guard lock(m_hLock);
        for (const ConvertJob *job : std::as_const(m_jobs)) {
            struct stat info = {};
            if (::stat(filepath::toNative(job->source).constData(), &info) == 0)
                state.files.insert({info.st_dev, info.st_ino});
        }
    }

    if (folder.isEmpty())
        return;
    folder = QDir::cleanPath(QDir::isAbsolutePath(folder) ? folder
                                                          : QDir::currentPath() + u'/' + folder);

    // Walks depth-first: a folder's contents come right where the folder is
    // met among its siblings.
    const auto walk = [&](const auto &self, const QString &path) -> void {
        struct stat info = {};
        if (::stat(filepath::toNative(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
            return;
        if (!state.folders.insert({info.st_dev, info.st_ino}).second)
            return;
        const QString base = path.endsWith(u'/') ? path : path + u'/';
        const QByteArray nativeBase = filepath::toNative(base);
        for (const Entry &entry : readEntries(filepath::toNative(path))) {
            const QString entryPath = base + entry.name;
            struct stat entryInfo = {};
            if (::stat((nativeBase + entry.bytes).constData(), &entryInfo) != 0)
                continue; // a dangling link or an entry gone meanwhile
            if (S_ISDIR(entryInfo.st_mode)) {
                self(self, entryPath);
            } else if (isTitlePath(entryPath, state.extension) &&
                       dvd::refusedFileReason((nativeBase + entry.bytes).toStdString()).empty()) {
                // No FIFO or device: opening one named like a title would
                // block its probe for good.
                if (state.files.insert({entryInfo.st_dev, entryInfo.st_ino}).second)
                    addJob(entryPath);
            }
        }
    };
    walk(walk, folder);
}
