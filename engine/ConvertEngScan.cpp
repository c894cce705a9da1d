// Finding the title files of a DVD below a folder or a disc's mount point.
#include "ConvertEng.h"
#include "TitleFile.h"

#include <QDir>
#include <QFileInfo>

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

} // namespace

void ConvertEng::scanFolder(QString extension, QString folder)
{
    QList<QString> ancestors;
    scanFolderIn(extension, folder, ancestors);
}

void ConvertEng::scanFolderIn(const QString &extension, const QString &folder,
                              QList<QString> &ancestors)
{
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir())
        return;
    // A folder link that leads back to a folder being scanned would make the
    // scan endless; such a folder is scanned only once.
    const QString real = folderInfo.canonicalFilePath();
    if (real.isEmpty() || ancestors.contains(real))
        return;
    ancestors.append(real);

    QString base = QDir::cleanPath(folderInfo.absoluteFilePath());
    if (!base.endsWith(u'/'))
        base += u'/';
    const QDir dir(folder);
    const QFileInfoList entries = dir.entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        const QString path = base + entry.fileName();
        if (isTitlePath(path, extension))
            addJob(path);
        if (entry.isDir())
            scanFolderIn(extension, path, ancestors);
    }
    ancestors.removeLast();
}
