#pragma once

#include <QString>

// What a probe run found out about one title.
struct MediaInfo {
    QString durationText; // the duration as the converter printed it, without fraction
    QString formatText;   // the video format, upper-cased (e.g. " MPEG2")
};
