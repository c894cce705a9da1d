#pragma once

#include <QString>

// One output preset as the program uses it.
struct Preset {
    QString name;
    QString arguments; // ffmpeg options, exactly as stored in the table
    QString extension; // the effective output extension, without the dot
};
