// Saving the shown frame as a PNG file.
#pragma once

#include <QImage>
#include <QString>

namespace prevkit
{

// The file name of a snapshot of the title `titlePath` at `position` seconds:
// "<title base name>_<h-mm-ss>.png", with "_2", "_3", ... before ".png" for
// `attempt` 2, 3, ...
QString snapshotFileName(const QString &titlePath, double position, int attempt = 1);

// Saves `image` in `folder` (created when missing) under the first snapshot
// name that no file has yet; an existing file is never replaced. Returns the
// path written, or an empty string with `error` set.
QString saveSnapshot(const QImage &image, const QString &folder, const QString &titlePath,
                     double position, QString *error);

} // namespace prevkit
