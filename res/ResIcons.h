#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// Path of the SVG picture behind an icon resource (":/velko/icons/..."), or an
// empty string for an unknown id.
QString IconResourcePath(int nId);

// The icon resource drawn into a transparent square of nSize pixels; a null
// pixmap for an unknown id.
QPixmap LoadIconPixmap(int nId, int nSize);

// The icon resource with pictures for the usual sizes (16 to 96 pixels), so it
// stays sharp in a title bar, a 48x48 toolbar and on a high-density screen.
// A null icon for an unknown id.
QIcon LoadIconResource(int nId);
