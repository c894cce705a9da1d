#include "Snapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace prevkit
{

QString snapshotFileName(const QString &titlePath, double position, int attempt)
{
    QString base = QFileInfo(titlePath).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("snapshot");
    const long long seconds = std::max(0LL, static_cast<long long>(std::floor(position)));
    QString name = QStringLiteral("%1_%2-%3-%4")
                       .arg(base)
                       .arg(seconds / 3600)
                       .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                       .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (attempt > 1)
        name += QStringLiteral("_%1").arg(attempt);
    return name + QStringLiteral(".png");
}

QString saveSnapshot(const QImage &image, const QString &folder, const QString &titlePath,
                     double position, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QString();
    };
    if (image.isNull())
        return fail(QStringLiteral("no picture"));
    QDir dir(folder);
    if (folder.isEmpty() || !dir.mkpath(QStringLiteral(".")))
        return fail(QStringLiteral("cannot create the folder %1").arg(folder));

    constexpr int kMaxAttempts = 10000;
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const QString path = dir.filePath(snapshotFileName(titlePath, position, attempt));
        if (QFileInfo::exists(path))
            continue;
        // NewOnly fails when the name was taken in the meantime: never overwrite.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(path))
                continue;
            return fail(file.errorString());
        }
        if (!image.save(&file, "PNG")) {
            const QString why = file.errorString();
            file.remove();
            return fail(why.isEmpty() ? QStringLiteral("cannot write %1").arg(path) : why);
        }
        file.close();
        if (file.error() != QFileDevice::NoError) {
            const QString why = file.errorString();
            file.remove();
            return fail(why);
        }
        return path;
    }
    return fail(QStringLiteral("too many snapshots of this moment"));
}

} // namespace prevkit
