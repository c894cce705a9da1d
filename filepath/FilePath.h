#pragma once

#include <QByteArray>
#include <QString>

// File names as the file system holds them. A Linux file name is a string of
// bytes; old discs and old copies carry names in Latin-1 or other 8-bit
// encodings that are not valid UTF-8, and Qt decodes those lossily. The
// engine keeps such a path in a QString all the same: every byte that is not
// part of a valid UTF-8 sequence is carried as the lone surrogate
// U+DC80..U+DCFF (0x80..0xFF), which no valid name can hold, so that the
// bytes come back exactly when the file is opened.
namespace filepath
{

// The path for a name the file system handed out.
QString fromNative(const QByteArray &bytes);

// The file system's bytes for a path made by fromNative (or any text).
QByteArray toNative(const QString &path);

// The path as a person reads it: each carried byte shows as U+FFFD.
QString forDisplay(const QString &path);

// The byte a carried character stands for, or -1 for any other character.
int carriedByte(QChar c);

} // namespace filepath
