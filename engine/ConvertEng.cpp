#include "ConvertEng.h"

#include "EngineLog.h"
#include "FilePath.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>

#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

ConvertEng::ConvertEng()
    : m_converterPath(makeConverterPath()), m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

ConvertEng::~ConvertEng()
{
    // A worker still converting is asked to stop; either way the worker
    // touches this object until its very last step, so wait for it.
    requestStop();
    if (m_hThread.joinable())
        m_hThread.join();
    std::lock_guard lock(m_hLock);
    deleteJobs();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

bool ConvertEng::isReady()
{
    return true;
}

void ConvertEng::deleteJobs()
{
    qDeleteAll(m_jobs);
    m_jobs.clear();
    m_jobIndex.clear();
    m_mediaInfos.clear();
    m_current = -1;
}

bool ConvertEng::clear()
{
    std::lock_guard lock(m_hLock);
    deleteJobs();
    return true;
}

bool ConvertEng::addJob(const QString &path)
{
    if (isListed(path))
        return false;
    std::lock_guard lock(m_hLock);
    auto *job = new ConvertJob;
    job->index = qint32(m_jobs.size());
    job->source = path;
    m_jobs.append(job);
    m_jobIndex.emplace(path, job);
    return true;
}

bool ConvertEng::isListed(const QString &path) const
{
    std::lock_guard lock(m_hLock);
    return m_jobIndex.find(path) != m_jobIndex.end();
}

bool ConvertEng::getCurrentJob(ConvertJob &out) const
{
    std::lock_guard lock(m_hLock);
    const int current = m_current;
    if (current < 0 || current >= m_jobs.size())
        return false;
    out = *m_jobs[current];
    return true;
}

void ConvertEng::setJobPercent(qint32 percent, qint32 index)
{
    std::lock_guard lock(m_hLock);
    if (index < 0 || index >= m_jobs.size())
        return;
    m_jobs[index]->percent = qBound(0, percent, 100);
}

void ConvertEng::notifyFinalState(QObject *context, std::function<void()> slot)
{
    m_finalStateHook = [context, slot = std::move(slot)] {
        QMetaObject::invokeMethod(context, slot, Qt::QueuedConnection);
    };
}

bool ConvertEng::requestStop()
{
    int expected = StateRunning;
    if (!m_state.compare_exchange_strong(expected, StateStopRequested))
        return false;
    // An atomic exchange and a write: nothing here that a signal handler
    // may not do.
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    return true;
}

bool ConvertEng::start()
{
    // An earlier worker has published its final state; let it finish its
    // last steps before a new one takes over.
    if (m_hThread.joinable())
        m_hThread.join();
    m_converterMissing = false;
    m_state = StateRunning;
    try {
        m_hThread = std::thread([this] { runProc(); });
    } catch (const std::system_error &) {
        // Without a worker nothing would ever publish a final state and the
        // owner would poll for good.
        m_state = StateFinished;
        if (m_finalStateHook)
            m_finalStateHook();
        return false;
    }
    return true;
}

void ConvertEng::onFinished() {}

bool ConvertEng::canOpenForReading(const QString &path)
{
    if (path.isEmpty())
        return false;
    // By the path's own bytes, and without waiting: a FIFO where a target
    // is expected must not hold the worker up.
    const int fd = ::open(filepath::toNative(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info = {};
    const bool file = ::fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
    ::close(fd);
    return file;
}

void ConvertEng::runProc()
{
    const qint32 count = qint32(m_jobs.size());
    m_runStartedMs = clockMs();
    if (m_mode == ModeConvert)
        startLog();
    for (qint32 i = 0; i < count; ++i) {
        if (m_state != StateRunning)
            break;
        engineTrace(QStringLiteral("----- runProc : %1 -----\n").arg(i));

        QString source;
        QString target;
        {
            std::lock_guard lock(m_hLock);
            ConvertJob *job = m_jobs[i];
            source = job->source;
            target = makeTargetPath(source, m_outputFolder);
            job->target = target;
            m_current = i;
            job->status = StatusPending;
            job->lastError.clear();
            job->outcome = JobOutcome();
            job->position = job->fps = job->speed = -1;
            job->startedMs = clockMs();
        }
        setJobPercent(0, i);

        if (target == source) {
            setJobResult(StatusSkipped, QString());
            setJobPercent(100, i);
            continue;
        }

        bool process = true;
        if (m_mode == ModeConvert && canOpenForReading(target))
            process = m_callback && m_callback(EventTargetExists, m_callbackData) == 1;
        if (process) {
            engineTrace(QStringLiteral("runProc : convert\n"));
            processJob(source, target);
        } else {
            setJobResult(StatusSkipped, QString());
        }

        // A conversion that reported success but left no target failed all
        // the same; a failed one leaves at most the user's earlier file,
        // which is no progress of this run.
        const bool targetThere = canOpenForReading(target);
        ConvertJob finished;
        {
            std::lock_guard lock(m_hLock);
            ConvertJob *job = m_jobs[i];
            if (m_mode == ModeConvert && job->status == StatusDone && !targetThere) {
                job->status = StatusFailed;
                job->lastError = QStringLiteral("The converter wrote no output file.");
            }
            finished = *job;
        }
        setJobPercent(targetThere && finished.status != StatusFailed ? 100 : 0, i);
        if (m_mode == ModeConvert)
            appendLog(finished);
    }

    // The final state is published last: once an owner sees it, the worker
    // no longer touches anything the owner may destroy (the hook is a copy).
    m_current = -1;
    onFinished();
    const std::function<void()> hook = m_finalStateHook;
    int expected = StateRunning;
    if (!m_state.compare_exchange_strong(expected, StateFinished))
        m_state = StateStopped;
    if (hook)
        hook();
}

bool ConvertEng::processJob(const QString &source, const QString &target)
{
    engineTrace(QStringLiteral("----- convert -----\n"));
    if (m_mode == ModeConvert) {
        const qint32 duration = probeDuration(source);
        {
            std::lock_guard lock(m_hLock);
            engineTrace(QStringLiteral("duration:%1\n").arg(duration));
            const int current = m_current;
            if (current >= 0 && current < m_jobs.size())
                m_jobs[current]->duration = duration;
            engineTrace(QStringLiteral("----------\n"));
        }
        // A stop requested while the source was probed ends the job here:
        // starting the converter only to tell it to quit would leave a
        // fragment of a file behind.
        if (m_state != StateRunning) {
            setJobResult(StatusStopped, QString());
            return true;
        }
        const QString script = writeScript(m_arguments, target, source);
        if (script.isEmpty()) {
            failForScript();
            return true;
        }
        m_outputTail.clear();
        m_reportedLine.clear();
        m_parseProgress = true;
        QByteArray discarded;
        int exitCode = -1;
        const bool ran = runProcess(&discarded, script, &exitCode);
        m_parseProgress = false;
        if (!script.isEmpty())
            QFile::remove(script);

        {
            const JobOutcome outcome = JobOutcome::read(m_outputTail.lines());
            std::lock_guard lock(m_hLock);
            const int current = m_current;
            if (current >= 0 && current < m_jobs.size())
                m_jobs[current]->outcome = outcome;
        }
        // The converter's exit status decides; the launcher turns a write
        // error at the file's end into a failure as well.
        if (m_state == StateStopRequested)
            setJobResult(StatusStopped, QString());
        else if (!ran)
            setJobResult(StatusFailed, QStringLiteral("The converter could not be started."));
        else if (exitCode != 0)
            setJobResult(StatusFailed, describeFailure(m_outputTail, exitCode));
        else
            setJobResult(StatusDone, QString());
    } else if (m_mode == ModeProbe) {
        const MediaInfo info = probeMedia(source);
        std::lock_guard lock(m_hLock);
        m_mediaInfos.append(info);
        const int current = m_current;
        if (current >= 0 && current < m_jobs.size())
            m_jobs[current]->status = StatusDone;
    }
    return true;
}

void ConvertEng::failForScript()
{
    const QString strFolder = QFileInfo(makeScriptBase()).path();
    const bool full = m_scriptError == ENOSPC || m_scriptError == EDQUOT;
    const QString reason = QStringLiteral("The job script cannot be written in %1: %2")
                               .arg(filepath::forDisplay(strFolder),
                                    QString::fromLocal8Bit(std::strerror(m_scriptError)));
    setJobResult(StatusFailed, reason);
    std::lock_guard lock(m_hLock);
    const int current = m_current;
    if (current >= 0 && current < m_jobs.size())
        m_jobs[current]->outcome.failure =
            full ? outcome::Failure::DiskFull : outcome::Failure::Other;
}

QString ConvertEng::makeTargetPath(const QString &source, const QString &folder) const
{
    const qsizetype slash = source.lastIndexOf(u'/');
    QString result = folder + u'/' + (slash < 0 ? source : source.mid(slash + 1));
    if (m_extension.isEmpty())
        return result;
    const qsizetype dot = result.lastIndexOf(u'.');
    const qsizetype lastSlash = result.lastIndexOf(u'/');
    if (dot < 0 || dot < lastSlash)
        result += u'.';
    else
        result.truncate(dot + 1);
    return result + m_extension;
}

QString ConvertEng::makeConverterPath()
{
    QString program;
    if (QCoreApplication::instance())
        program = QCoreApplication::applicationFilePath();
    else
        program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const qsizetype slash = program.lastIndexOf(u'/');
    if (slash >= 0)
        program.truncate(slash);
    return program + QStringLiteral("/core/torvane");
}
