#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

// Makes empty files (and their folders) below strRoot, one per relative path.
inline bool MakeTree(const QString &strRoot, const QStringList &paths)
{
    for (const QString &path : paths) {
        const QString full = strRoot + QLatin1Char('/') + path;
        if (!QDir().mkpath(QFileInfo(full).path()))
            return false;
        QFile file(full);
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}
