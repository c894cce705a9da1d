#pragma once

#include <QString>

// Whether the title scan finds at least one title file (a file ending in
// strExtension that is not a menu) below strFolder, sub-folders included. The
// scan runs here, synchronously, in a temporary engine that is never started.
// A folder that does not exist or cannot be read has no titles.
bool HasTitles(QString strExtension, QString strFolder);
