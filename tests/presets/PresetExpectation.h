#pragma once

#include <QString>
#include <QStringList>

// What a conversion with one preset must produce, read off the preset's own
// argument string and extension: the container the extension promises and
// the codecs the options ask for.
struct PresetExpectation {
    QString format;     // one of ffprobe's names for the container
    QStringList brands; // accepted major brands of an ISO media file; empty for others
    QString videoCodec; // ffprobe's codec name, or "copy" for the source's own
    bool audio = true;  // whether an audio stream is expected
    // ffprobe's codec name, or "copy"; empty when the options leave it to the format
    QString audioCodec;
};

PresetExpectation expectationFor(const QString &arguments, const QString &extension);
