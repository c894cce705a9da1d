#pragma once

#include "OutcomeLines.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A stretch of a source that could not be read and was skipped, in the
// source's own time.
struct SkippedStretch {
    qint64 atMs = 0;
    qint64 lengthMs = 0;
};

// What the converter launcher reported about how a conversion ended, read
// from its outcome lines (OutcomeLines.h).
struct JobOutcome {
    outcome::Failure failure = outcome::Failure::None;
    qint64 readToMs = -1;    // how far the source was converted, -1 when not said
    qint64 sourceMs = -1;    // the source's length that was measured against
    qint64 stoppedAtMs = -1; // where a stopped conversion ends
    QList<SkippedStretch> skipped;
    QString keptName; // the file name an unfinished file was kept under, or empty

    qint64 skippedMs() const;
    // The kept file's full path, beside target; empty when none was kept.
    QString keptPath(const QString &target) const;

    // One line for a person on what was skipped, where a stopped or short
    // conversion ends and what was kept: "0:00:02 could not be read at
    // 0:01:09. Stopped at 0:00:27. Kept as 'Film (partial).mp4'." Empty
    // when there is nothing to tell.
    QString summary() const;

    // Reads the outcome lines among a conversion's last output lines; other
    // lines are passed over.
    static JobOutcome read(const QList<QByteArray> &lines);
    // Whether a line is one of the launcher's outcome lines other than
    // "conversion failed": none of them is a message for a person.
    static bool isOutcomeLine(const QByteArray &line);
};
