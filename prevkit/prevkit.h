// prevkit: the preview player shown in the main window.
//
// The player lives in a child widget that fills a rectangle of the parent
// widget and brings its own controls (play/pause, a position slider with the
// time, a snapshot button). Files are opened, sought and decoded on a worker
// thread, so none of these calls blocks the caller. Every operation ignores a
// null handle.
#pragma once

#include <QtCore/qglobal.h>

#if defined(PREVKIT_LIBRARY)
#define PREVKIT_EXPORT Q_DECL_EXPORT
#else
#define PREVKIT_EXPORT Q_DECL_IMPORT
#endif

class QRect;
class QString;
class QWidget;

struct PrevkitPlayer;
using PrevkitHandle = PrevkitPlayer *;

// Creates the player inside `area` (in `parent`'s coordinates; the whole of
// `parent` when `area` is null). The player never moves by itself. Returns
// null when `parent` is null.
PREVKIT_EXPORT PrevkitHandle prevkit_create(QWidget *parent, const QRect *area);

// The folder snapshots are saved in; it is created when the first snapshot
// is taken. Until a folder is set, snapshots go to the user's pictures folder.
PREVKIT_EXPORT void prevkit_setSnapshotFolder(PrevkitHandle player, const QString &folder);

// Opens a title file for preview: its first frame is shown, paused. A file
// that cannot be previewed shows a message in the picture area instead.
// `path` may also name a whole DVD title by its job source text
// ("dvdtitle:...", TitleSource.h): the title then plays across its pieces,
// from a folder, a mounted disc, a device or an image.
PREVKIT_EXPORT void prevkit_setFile(PrevkitHandle player, const QString &path);

// Stops playback, closes the file handed earlier and clears the picture.
PREVKIT_EXPORT void prevkit_reset(PrevkitHandle player);

// Stops the worker thread, deletes the player's widgets and the handle. The
// handle must not be used afterwards. Safe after the parent widget is gone.
PREVKIT_EXPORT void prevkit_release(PrevkitHandle player);
