#pragma once

#include "DiscTypes.h"

#include <QString>

// The extension of a DVD's title files as the scan, the source dialogs and
// the main window look for it.
inline const QString kTitleExtension =
    QString::fromLatin1(dvd::titleExtension.data(), qsizetype(dvd::titleExtension.size()));
