// Reading the converter's text output: durations, format texts, progress.
#include "ConvertEng.h"

#include "FilePath.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace
{

// Reads a decimal number the way the C library does (leading blanks
// skipped, the longest valid number taken, 0 when there is none), but
// independent of the locale's decimal separator.
double readDecimal(const QByteArray &field)
{
    const char *begin = field.constData();
    const char *end = begin + field.size();
    while (begin < end && (*begin == ' ' || (*begin >= '\t' && *begin <= '\r')))
        ++begin;
    if (begin < end && *begin == '+')
        ++begin;
    double value = 0;
    const auto result = std::from_chars(begin, end, value, std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0;
    return value;
}

qint32 clampToInt32(double value)
{
    if (!(value == value))
        return 0;
    if (value >= double(INT_MAX))
        return INT_MAX;
    if (value <= double(INT_MIN))
        return INT_MIN;
    return qint32(value);
}

} // namespace

qint32 ConvertEng::parseClock(const QByteArray &text)
{
    // Fields end at a ':' or at the end of the text; nothing after a final
    // ':' makes another field.
    QList<QByteArray> fields;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype colon = text.indexOf(':', start);
        if (colon < 0) {
            fields.append(text.mid(start));
            break;
        }
        fields.append(text.mid(start, colon - start));
        start = colon + 1;
    }
    if (fields.size() != 3)
        return 0;
    const double seconds =
        readDecimal(fields[0]) * 3600 + readDecimal(fields[1]) * 60 + readDecimal(fields[2]);
    return clampToInt32(std::trunc(seconds + 0.5));
}

QString ConvertEng::utf8ToWide(const QByteArray &bytes)
{
    // Invalid sequences become replacement characters.
    const qsizetype zero = bytes.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? bytes : bytes.left(zero));
}

qint32 ConvertEng::durationFromProbe(const QByteArray &text)
{
    static const QByteArray token("Duration:");
    const qsizetype at = text.indexOf(token);
    if (at < 0)
        return 0;
    const qsizetype comma = text.indexOf(',', at);
    if (comma < 0)
        return 0;
    return parseClock(text.mid(at + token.size(), comma - at - token.size()));
}

MediaInfo ConvertEng::mediaFromProbe(const QString &text)
{
    MediaInfo info;
    static const QString durationToken = QStringLiteral("Duration:");
    const qsizetype duration = text.indexOf(durationToken);
    if (duration >= 0) {
        const qsizetype dot = text.indexOf(u'.', duration);
        if (dot >= 0) {
            const qsizetype from = duration + durationToken.size();
            info.durationText = text.mid(from, dot - from);
        }
    }

    static const QString videoToken = QStringLiteral("Video:");
    const qsizetype video = text.indexOf(videoToken);
    if (video >= 0) {
        const qsizetype end = text.indexOf(QStringLiteral("video"), video);
        if (end >= 0) {
            const qsizetype from = video + videoToken.size();
            QString format = text.mid(from, end - from);
            for (QChar &c : format) {
                if (c >= u'a' && c <= u'z')
                    c = QChar(c.unicode() - u'a' + u'A');
            }
            info.formatText = format;
        }
    }
    return info;
}

// A probe starts the launcher itself: no script to write, no shell to start
// before it. A DVD's title files are probed one after another while the user
// waits, and the launcher alone is the smallest part of each. Arguments reach
// a program as UTF-8, though: a name that is not (FilePath.h) goes through a
// probe script, whose quoting gives the launcher its very bytes.
QByteArray ConvertEng::probeText(const QString &source)
{
    QByteArray text;
    const auto isUtf8 = [](const QString &path) {
        return filepath::toNative(path) == path.toUtf8();
    };
    if (isUtf8(source) && isUtf8(m_converterPath)) {
        runProgram(&text, m_converterPath, {QStringLiteral("-i"), source});
        return text;
    }
    const QString script = writeScript(QString(), QString(), source);
    runProcess(&text, script);
    if (!script.isEmpty())
        QFile::remove(script);
    return text;
}

qint32 ConvertEng::probeDuration(const QString &source)
{
    const int mode = m_mode.exchange(ModeProbe);
    const qint32 result = durationFromProbe(probeText(source));
    m_mode = mode;
    return result;
}

MediaInfo ConvertEng::probeMedia(const QString &source)
{
    return mediaFromProbe(utf8ToWide(probeText(source)));
}

void ConvertEng::parseProgress(const QByteArray &chunk)
{
    qint32 duration = 0;
    {
        std::lock_guard lock(m_hLock);
        const int current = m_current;
        if (current >= 0 && current < m_jobs.size())
            duration = m_jobs[current]->duration;
    }
    if (duration == 0)
        return;

    m_progressText.append(chunk);
    if (m_progressText.isEmpty())
        return;
    const char last = m_progressText.back();
    if (last != '\r' && last != '\n')
        return;

    static const QByteArray token("time=");
    const qsizetype at = m_progressText.lastIndexOf(token);
    if (at >= 0) {
        const qsizetype from = at + token.size();
        const qsizetype blank = m_progressText.indexOf(' ', from);
        if (blank >= 0) {
            const qint32 seconds = parseClock(m_progressText.mid(from, blank - from));
            if (seconds != 0) {
                const double percent = double(quint32(seconds)) * 100.0 / double(quint32(duration));
                setJobPercent(qint32(std::min(std::trunc(percent), 100.0)), m_current);
            }
        }
    }
    m_progressText.clear();
}
