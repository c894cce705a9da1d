#pragma once

#include <QString>

// Whether the title scan finds at least one title file (a file ending in
// strExtension that is not a menu) below strFolder, sub-folders included. The
// scan runs here, synchronously, in a temporary engine that is never started.
// A folder that does not exist or cannot be read has no titles.
bool HasTitles(QString strExtension, QString strFolder);

// HasTitles for a dialog that waits for the answer: the scan runs on a thread
// of its own while the dialogs stay painted, with a busy cursor, and user input
// waits until the answer is in. A folder high up in a large tree can take long
// to scan; the windows must not freeze meanwhile.
bool HasTitlesWhileWaiting(QString strExtension, QString strFolder);
