#include "DiscDrives.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace
{
DiscDriveSource &Source()
{
    static DiscDriveSource source;
    return source;
}

QList<CDiscDrive> MountedDiscDrives()
{
    struct Found {
        QString strDevice;
        CDiscDrive drive;
    };
    QList<Found> found;
    const auto volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &volume : volumes) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString strDevice = QString::fromLocal8Bit(volume.device());
        if (!IsOpticalVolume(strDevice, QString::fromLatin1(volume.fileSystemType())))
            continue;
        // A disc mounted at several places is offered once.
        const bool listed = std::any_of(found.cbegin(), found.cend(), [&](const Found &other) {
            return other.strDevice == strDevice;
        });
        if (listed)
            continue;
        found.append({strDevice, {volume.rootPath(), DiscDisplayName(volume.name(), strDevice)}});
    }

    // Device order (sr0, sr1, ..., sr10), the way drive letters are ordered.
    QCollator collator;
    collator.setNumericMode(true);
    std::stable_sort(found.begin(), found.end(), [&](const Found &a, const Found &b) {
        return collator.compare(a.strDevice, b.strDevice) < 0;
    });
    QList<CDiscDrive> drives;
    for (const Found &entry : found)
        drives.append(entry.drive);
    return drives;
}

// A root holds a readable disc when it can be listed and shows at least one
// entry; a drive without a disc leaves its mount point empty or gone.
bool IsReadableRoot(const QString &strRoot)
{
    const QDir root(strRoot);
    return root.exists() &&
           !root.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                .isEmpty();
}

// An absolute path without "." and ".." and, when it exists, with its
// symbolic links resolved.
QString NormalisedPath(const QString &strPath)
{
    const QFileInfo info(strPath);
    const QString strCanonical = info.canonicalFilePath();
    return strCanonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : strCanonical;
}
} // namespace

bool IsOpticalVolume(const QString &strDevice, const QString &strFileSystem)
{
    return strDevice.startsWith(QLatin1String("/dev/sr")) ||
           strDevice.startsWith(QLatin1String("/dev/cdrom")) ||
           strFileSystem == QLatin1String("iso9660") || strFileSystem == QLatin1String("udf");
}

QString DiscDisplayName(const QString &strLabel, const QString &strDevice)
{
    if (strLabel.isEmpty())
        return strDevice;
    return QStringLiteral("%1 (%2)").arg(strLabel, strDevice);
}

void SetDiscDriveSource(DiscDriveSource source)
{
    Source() = std::move(source);
}

QList<CDiscDrive> ListDiscDrives()
{
    return Source() ? Source()() : MountedDiscDrives();
}

void FindDiscDrives(QStringList &names, QStringList &roots)
{
    names.clear();
    roots.clear();
    const QList<CDiscDrive> drives = ListDiscDrives();
    for (const CDiscDrive &drive : drives) {
        if (!IsReadableRoot(drive.strRoot))
            continue;
        names.append(drive.strName);
        roots.append(drive.strRoot);
    }
}

bool IsOnOpticalDrive(const QString &strFolder)
{
    if (strFolder.isEmpty())
        return false;
    const QString strPath = NormalisedPath(strFolder);
    const auto drives = ListDiscDrives();
    for (const CDiscDrive &drive : drives) {
        if (drive.strRoot.isEmpty())
            continue;
        // Whole path components: /media/cdrom does not hold /media/cdrom2.
        QString strRoot = NormalisedPath(drive.strRoot);
        if (strPath == strRoot)
            return true;
        if (!strRoot.endsWith(u'/'))
            strRoot += u'/';
        if (strPath.startsWith(strRoot))
            return true;
    }
    return false;
}
