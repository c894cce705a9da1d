#pragma once

#include <QByteArray>

// What one of the converter's progress lines says, for instance
//   frame=  131 fps=129 q=7.0 size=     768kB time=00:00:05.23 ... speed=5.18x
// Each value is -1 when the line does not carry it or carries N/A.
struct ProgressReport {
    double position = -1; // "time=": seconds of the source converted
    double fps = -1;      // "fps=": frames converted per second
    double speed = -1;    // "speed=": multiple of real time

    static ProgressReport read(const QByteArray &line);
};
