#pragma once

#include <QString>

// The extension of a DVD's title files, in capitals as discs store their
// names: the scan, the source dialogs and the main window all look for it.
inline const QString kTitleExtension = QStringLiteral(".VOB");
