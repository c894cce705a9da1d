#pragma once

#include <QString>
#include <QStringList>

// After a load: the message to show when title files of the disc are
// scrambled (CSS) and libdvdcss, which would decrypt them, cannot be loaded;
// an empty string when nothing needs saying. Reads a few packs at the start
// of every title file.
QString EncryptedDiscNotice(const QStringList &titleFiles);
