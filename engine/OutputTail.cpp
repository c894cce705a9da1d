#include "OutputTail.h"

#include "JobOutcome.h"

OutputTail::OutputTail(int maxLines) : m_maxLines(qMax(1, maxLines)) {}

void OutputTail::clear()
{
    m_lines.clear();
    m_partial.clear();
    m_progress.clear();
    m_lastProgress.clear();
    m_afterReturn = false;
}

void OutputTail::append(const QByteArray &line)
{
    m_lines.append(line);
    while (m_lines.size() > m_maxLines)
        m_lines.removeFirst();
}

void OutputTail::feed(const QByteArray &chunk)
{
    for (const char c : chunk) {
        if (c == '\r') {
            if (!m_partial.isEmpty()) {
                m_progress = m_partial;
                m_lastProgress = m_partial;
                m_partial.clear();
            }
            m_afterReturn = true;
        } else if (c == '\n') {
            // A report ended by "\r\n", or a message after reports: the last
            // report stays in the log, just before what follows it.
            if (!m_progress.isEmpty()) {
                append(m_progress);
                m_progress.clear();
            }
            if (!m_partial.isEmpty() || !m_afterReturn)
                append(m_partial);
            m_partial.clear();
            m_afterReturn = false;
        } else {
            m_partial.append(c);
            m_afterReturn = false;
        }
    }
}

QList<QByteArray> OutputTail::lines() const
{
    QList<QByteArray> all = m_lines;
    if (!m_progress.isEmpty())
        all.append(m_progress);
    if (!m_partial.isEmpty())
        all.append(m_partial);
    return all;
}

bool OutputTail::isProgressLine(const QByteArray &line)
{
    const QByteArray text = line.trimmed();
    return text.startsWith("frame=") || text.startsWith("size=") ||
           (text.startsWith("video:") && text.contains("muxing overhead"));
}

QByteArray OutputTail::lastMessage() const
{
    const QList<QByteArray> all = lines();
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        const QByteArray text = it->trimmed();
        if (!text.isEmpty() && !isProgressLine(text) && !JobOutcome::isOutcomeLine(text))
            return text;
    }
    return QByteArray();
}
