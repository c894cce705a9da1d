#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// An optical drive with a mounted disc: where the disc is mounted and the name
// shown for it, such as "MY_MOVIE (/dev/sr0)".
struct CDiscDrive {
    QString strRoot;
    QString strName;
};

// The optical drives of the machine, in device order. By default they come
// from the mounted volumes; tests stand in their own list with
// SetDiscDriveSource and restore the default with an empty function.
using DiscDriveSource = std::function<QList<CDiscDrive>()>;
void SetDiscDriveSource(DiscDriveSource source);
QList<CDiscDrive> ListDiscDrives();

// The candidates of the "Select DVD disc" dialog: every drive from
// ListDiscDrives() whose root can be read and holds at least one entry (a
// drive without a disc, or with a disc that is not mounted, is left out).
// Fills the two parallel lists the dialog takes.
void FindDiscDrives(QStringList &names, QStringList &roots);

// Whether strFolder lies at or below the root of a disc in an optical drive,
// compared by whole path components after "." and ".." and symbolic links are
// resolved: an output folder there could never be written.
bool IsOnOpticalDrive(const QString &strFolder);

// Whether a mounted volume is an optical disc: its device is an optical drive
// (/dev/sr*, /dev/cdrom*) or its file system is a disc's (iso9660, udf).
bool IsOpticalVolume(const QString &strDevice, const QString &strFileSystem);
// "LABEL (/dev/sr0)", or the device alone for a disc without a label.
QString DiscDisplayName(const QString &strLabel, const QString &strDevice);
