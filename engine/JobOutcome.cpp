#include "JobOutcome.h"

#include "FilePath.h"

#include <QStringList>

namespace
{

QByteArray prefixOf(std::string_view prefix)
{
    return QByteArray(prefix.data(), qsizetype(prefix.size()));
}

// The value of a line with the given prefix, or a null array.
QByteArray valueOf(const QByteArray &line, std::string_view prefix)
{
    const QByteArray start = prefixOf(prefix);
    return line.startsWith(start) ? line.mid(start.size()) : QByteArray();
}

QString clockText(qint64 ms)
{
    const qint64 seconds = qMax<qint64>(0, ms) / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString JobOutcome::summary() const
{
    QStringList parts;
    for (const SkippedStretch &stretch : skipped) {
        parts << QStringLiteral("%1 could not be read at %2.")
                     .arg(clockText(qMax<qint64>(1000, stretch.lengthMs)), clockText(stretch.atMs));
    }
    if (stoppedAtMs >= 0)
        parts << QStringLiteral("Stopped at %1.").arg(clockText(stoppedAtMs));
    else if (readToMs >= 0 && sourceMs > 0)
        parts << QStringLiteral("Converted to %1 of %2.")
                     .arg(clockText(readToMs), clockText(sourceMs));
    if (!keptName.isEmpty())
        parts << QStringLiteral("Kept as '%1'.").arg(filepath::forDisplay(keptName));
    return parts.join(u' ');
}

qint64 JobOutcome::skippedMs() const
{
    qint64 total = 0;
    for (const SkippedStretch &stretch : skipped)
        total += stretch.lengthMs;
    return total;
}

QString JobOutcome::keptPath(const QString &target) const
{
    if (keptName.isEmpty())
        return QString();
    const qsizetype slash = target.lastIndexOf(u'/');
    return (slash < 0 ? QString() : target.left(slash + 1)) + keptName;
}

bool JobOutcome::isOutcomeLine(const QByteArray &line)
{
    for (const std::string_view prefix :
         {outcome::kFailurePrefix, outcome::kReadToPrefix, outcome::kSkippedPrefix,
          outcome::kStoppedAtPrefix, outcome::kKeptPrefix}) {
        if (line.startsWith(prefixOf(prefix)))
            return true;
    }
    return false;
}

JobOutcome JobOutcome::read(const QList<QByteArray> &lines)
{
    JobOutcome result;
    for (const QByteArray &line : lines) {
        if (const QByteArray kind = valueOf(line, outcome::kFailurePrefix); !kind.isNull()) {
            result.failure = outcome::failureFromName(kind.trimmed().toStdString());
        } else if (const QByteArray readTo = valueOf(line, outcome::kReadToPrefix);
                   !readTo.isNull()) {
            const QList<QByteArray> parts = readTo.simplified().split(' ');
            if (parts.size() == 3 && parts[1] == "of") {
                result.readToMs = parts[0].toLongLong();
                result.sourceMs = parts[2].toLongLong();
            }
        } else if (const QByteArray skipped = valueOf(line, outcome::kSkippedPrefix);
                   !skipped.isNull()) {
            const QList<QByteArray> parts = skipped.simplified().split(' ');
            if (parts.size() == 2)
                result.skipped.append({parts[0].toLongLong(), parts[1].toLongLong()});
        } else if (const QByteArray stopped = valueOf(line, outcome::kStoppedAtPrefix);
                   !stopped.isNull()) {
            result.stoppedAtMs = stopped.trimmed().toLongLong();
        } else if (const QByteArray kept = valueOf(line, outcome::kKeptPrefix); !kept.isNull()) {
            result.keptName = filepath::fromNative(
                QByteArray::fromStdString(outcome::unescape(kept.toStdString())));
        }
    }
    return result;
}
