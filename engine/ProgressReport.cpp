#include "ProgressReport.h"

#include <QList>

#include <charconv>
#include <cmath>

namespace
{

// The text after the last "name=" up to the next blank, leading blanks
// skipped (the converter pads some values: "fps= 25").
QByteArray valueOf(const QByteArray &line, const char *name)
{
    const QByteArray token = QByteArray(name) + '=';
    const qsizetype at = line.lastIndexOf(token);
    if (at < 0)
        return QByteArray();
    qsizetype from = at + token.size();
    while (from < line.size() && line[from] == ' ')
        ++from;
    qsizetype end = from;
    while (end < line.size() && line[end] != ' ' && line[end] != '\r' && line[end] != '\n')
        ++end;
    return line.mid(from, end - from);
}

// A plain non-negative decimal number, the whole text; -1 otherwise.
double number(const QByteArray &text)
{
    double value = 0;
    const char *begin = text.constData();
    const char *end = begin + text.size();
    const auto result = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (text.isEmpty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(value) ||
        value < 0)
        return -1;
    return value;
}

// hh:mm:ss.ff as seconds; -1 for N/A or a negative clock.
double clock(const QByteArray &text)
{
    const QList<QByteArray> fields = text.split(':');
    if (fields.size() != 3)
        return -1;
    const double h = number(fields[0]);
    const double m = number(fields[1]);
    const double s = number(fields[2]);
    if (h < 0 || m < 0 || s < 0)
        return -1;
    return h * 3600 + m * 60 + s;
}

} // namespace

ProgressReport ProgressReport::read(const QByteArray &line)
{
    ProgressReport report;
    report.position = clock(valueOf(line, "time"));
    report.fps = number(valueOf(line, "fps"));
    QByteArray speed = valueOf(line, "speed");
    if (speed.endsWith('x'))
        report.speed = number(speed.chopped(1));
    return report;
}
