#pragma once

#include <QByteArray>
#include <QList>

// The end of what the converter printed for one job: its last lines, where a
// run of progress reports (each ended by a carriage return alone) is folded
// into the latest one, as a terminal shows them. Kept for the conversion log
// and for the message line a failed job is reported with.
class OutputTail
{
public:
    explicit OutputTail(int maxLines = 300);

    void clear();
    void feed(const QByteArray &chunk);

    // The kept lines without their line ends, oldest first: at most maxLines
    // finished lines, then the latest progress report and the line being
    // printed, when there are such.
    QList<QByteArray> lines() const;
    // The latest line ended by a carriage return; empty before the first.
    QByteArray lastProgressLine() const { return m_lastProgress; }
    // The last kept line that is neither blank nor a progress or summary
    // report, without surrounding blanks; empty when there is none.
    QByteArray lastMessage() const;

    // Whether a line is one of the converter's progress reports ("frame=",
    // "size=") or its closing summary ("video:... muxing overhead").
    static bool isProgressLine(const QByteArray &line);

private:
    void append(const QByteArray &line);

    int m_maxLines;
    QList<QByteArray> m_lines;
    QByteArray m_partial;      // the line being printed
    QByteArray m_progress;     // a progress report not yet followed by a message
    QByteArray m_lastProgress; // the latest progress report
    bool m_afterReturn = false;
};
