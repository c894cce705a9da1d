// How jobs end: their status, the converter's progress reports while they
// run, and the log of a conversion run.
#include "ConvertEng.h"

#include "ProgressReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <chrono>

bool ConvertEng::addJob(const QString &path, qint32 listedDuration)
{
    if (!addJob(path))
        return false;
    std::lock_guard lock(m_hLock);
    m_jobs.back()->listedDuration = qMax(0, listedDuration);
    return true;
}

bool ConvertEng::sampleRun(RunSample &out) const
{
    std::lock_guard lock(m_hLock);
    const int current = m_current;
    if (current < 0 || current >= m_jobs.size())
        return false;
    out.titleNumber = current + 1;
    out.titleCount = qint32(m_jobs.size());
    out.job = *m_jobs[current];
    out.nowMs = clockMs();
    out.runStartedMs = m_runStartedMs;
    out.laterSeconds = 0;
    for (qsizetype i = current + 1; i < m_jobs.size(); ++i) {
        const ConvertJob *later = m_jobs[i];
        out.laterSeconds += later->duration > 0 ? later->duration : later->listedDuration;
    }
    return true;
}

qint64 ConvertEng::clockMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void ConvertEng::setJobResult(qint32 status, const QString &lastError)
{
    std::lock_guard lock(m_hLock);
    const int current = m_current;
    if (current < 0 || current >= m_jobs.size())
        return;
    m_jobs[current]->status = status;
    m_jobs[current]->lastError = lastError;
}

QString ConvertEng::describeFailure(const OutputTail &output, int exitCode)
{
    const QByteArray message = output.lastMessage();
    if (!message.isEmpty())
        return QString::fromUtf8(message);
    if (exitCode > 128 && exitCode < 128 + 65)
        return QStringLiteral("The converter was ended by signal %1.").arg(exitCode - 128);
    return QStringLiteral("The converter ended with status %1.").arg(exitCode);
}

void ConvertEng::storeProgressReport()
{
    const QByteArray line = m_outputTail.lastProgressLine();
    if (line.isEmpty() || line == m_reportedLine)
        return;
    m_reportedLine = line;
    const ProgressReport report = ProgressReport::read(line);
    std::lock_guard lock(m_hLock);
    const int current = m_current;
    if (current < 0 || current >= m_jobs.size())
        return;
    ConvertJob *job = m_jobs[current];
    if (report.position >= 0)
        job->position = report.position;
    job->fps = report.fps;
    job->speed = report.speed;
}

QString ConvertEng::conversionLogPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Media Converter/log/conversion.log");
}

void ConvertEng::startLog()
{
    const QString path = conversionLogPath();
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    // A log that cannot be written costs the run nothing.
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.close();
}

void ConvertEng::appendLog(const ConvertJob &job)
{
    QFile file(conversionLogPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    QByteArray text = "=== " + job.source.toUtf8() + " -> " + job.target.toUtf8() + '\n';
    if (job.status == StatusDone || job.status == StatusFailed || job.status == StatusStopped) {
        const QList<QByteArray> lines = m_outputTail.lines();
        for (const QByteArray &line : lines)
            text += line + '\n';
    }
    switch (job.status) {
    case StatusDone:
        text += "=== converted\n\n";
        break;
    case StatusSkipped:
        text += "=== not converted: the existing file was kept\n\n";
        break;
    case StatusStopped:
        text += "=== stopped\n\n";
        break;
    case StatusFailed:
        text += "=== FAILED: " + job.lastError.toUtf8() + "\n\n";
        break;
    default:
        text += "=== not converted\n\n";
        break;
    }
    file.write(text);
}
