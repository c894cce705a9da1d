// Job scripts and the converter process.
#include "ConvertEng.h"

#include "EngineLog.h"
#include "FilePath.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

namespace
{

// Milliseconds since boot as a signed 32-bit value, like a tick counter that
// wraps after 49 days.
qint32 tickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    const quint64 ms = quint64(ts.tv_sec) * 1000u + quint64(ts.tv_nsec) / 1000000u;
    return qint32(quint32(ms));
}

constexpr qint64 chunkSize = 4096;

// While a stop request stands, "q" is written again this often: a converter
// busy reading its input may take its keyboard input late.
constexpr int kQuitRepeatMs = 300;

// After a stop by SIGTERM the script may be gone while a converter that
// ignores the signal lives on in the group; it is killed at the deadline.
void reapGroup(qint64 group, const QElapsedTimer &clock, qint64 deadline)
{
    while (::kill(pid_t(-group), 0) == 0) {
        if (clock.elapsed() >= deadline) {
            ::kill(pid_t(-group), SIGKILL);
            return;
        }
        ::usleep(50 * 1000);
    }
}

} // namespace

QString ConvertEng::shellQuote(const QString &text)
{
    // A byte of a name that is not UTF-8 (FilePath.h) cannot stand in the
    // script's UTF-8 text as it is: the shell makes it with printf and an
    // octal escape, outside the quotes, and the path gets its bytes back.
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += u'\'';
    for (const QChar c : text) {
        const int byte = filepath::carriedByte(c);
        if (byte >= 0)
            quoted += QStringLiteral("'\"$(printf '\\%1')\"'").arg(byte, 3, 8, QLatin1Char('0'));
        else if (c == u'\'')
            quoted += QStringLiteral("'\\''");
        else
            quoted += c;
    }
    quoted += u'\'';
    return quoted;
}

QString ConvertEng::makeScriptBase() const
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/Media Converter");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/mconv") + QString::number(tickCount()) + u'_' +
           QString::number(quintptr(this), 16);
}

QString ConvertEng::writeScript(const QString &arguments, const QString &target,
                                const QString &source) const
{
    const QString path = makeScriptBase() + QStringLiteral(".sh");
    m_scriptError = 0;

    // The preset arguments are inserted unquoted so that they split at their
    // blanks; "set -f" keeps the shell from expanding them as file patterns.
    // A conversion script removes itself (the shell has it open and reads
    // on), then hands its process over to the launcher: the converter's exit
    // status is the script's, which tells the engine whether the conversion
    // worked, and once the converter ends no shell is left to end after it,
    // which a stop would wait for. A probe script only hands over; the
    // engine removes it when it has run (and uses one only for the names the
    // launcher cannot be given directly, see probeText).
    QString text = QStringLiteral("set -f\n\n");
    if (target.isEmpty()) {
        text += QStringLiteral("exec ") + shellQuote(m_converterPath) + QStringLiteral(" -i ") +
                shellQuote(source) + u'\n';
    } else {
        text += QStringLiteral("rm -f -- ") + shellQuote(path) + QStringLiteral("\nexec ") +
                shellQuote(m_converterPath) + QStringLiteral(" -y -i ") + shellQuote(source) +
                u' ' + arguments + u' ' + shellQuote(target);
    }
    // Written with the system's own calls, so that why it failed (a full
    // disk above all) is known.
    const QByteArray bytes = text.toUtf8();
    const QByteArray native = filepath::toNative(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_scriptError = errno;
        return QString();
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_scriptError = written < 0 ? errno : EIO;
            break;
        }
        done += written;
    }
    if (::close(fd) != 0 && m_scriptError == 0)
        m_scriptError = errno;
    if (m_scriptError != 0) {
        ::unlink(native.constData());
        return QString();
    }
    return path;
}

bool ConvertEng::runProcess(QByteArray *output, const QString &commandLine, int *exitCode)
{
    if (commandLine.isEmpty()) {
        if (exitCode)
            *exitCode = -1;
        engineTrace(QStringLiteral("CreateProcess\n"));
        return false;
    }
    return runProgram(output, QStringLiteral("/bin/sh"), {commandLine}, exitCode);
}

bool ConvertEng::runProgram(QByteArray *output, const QString &program,
                            const QStringList &arguments, int *exitCode)
{
    QByteArray collector;
    if (exitCode)
        *exitCode = -1;

    // The worker sleeps until something happens: output to read, the end of
    // the process, a stop request or a deadline of the stop. The loop comes
    // first, so that this thread has the dispatcher the process's notifiers
    // register with.
    QEventLoop loop;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!m_environment.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &entry : m_environment)
            environment.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        process.setProcessEnvironment(environment);
    }
    // The script, the launcher and the converter form one process group, so
    // that a converter that will not quit can be ended as a whole.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start(program, arguments);
    if (!process.waitForStarted(-1)) {
        engineTrace(QStringLiteral("CreateProcess\n"));
        return false;
    }
    engineTrace(QStringLiteral("----- ConvertEng::runProcess -----\n"));
    const qint64 group = process.processId();

    QElapsedTimer stopClock;
    int signalsSent = 0;
    QTimer quitAgain;
    QTimer escalate;
    escalate.setSingleShot(true);
    QObject::connect(&process, &QProcess::readyRead, [&] {
        if (m_state == StateRunning && m_mode == ModeConvert)
            readOutput(process, output ? &collector : nullptr);
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    // A stop asks the converter to quit at once, and again while it runs;
    // one that will not is sent SIGTERM, then SIGKILL, at the deadlines.
    const auto stop = [&] {
        if (m_state != StateStopRequested || stopClock.isValid())
            return;
        stopClock.start();
        process.write("q", 1);
        quitAgain.start(kQuitRepeatMs);
        escalate.start(m_stopTerminateMs);
    };
    QObject::connect(&quitAgain, &QTimer::timeout, [&] { process.write("q", 1); });
    QObject::connect(&escalate, &QTimer::timeout, [&] {
        ::kill(pid_t(-group), signalsSent == 0 ? SIGTERM : SIGKILL);
        if (++signalsSent == 1)
            escalate.start(m_stopKillMs);
    });
    QSocketNotifier wake(m_wakeFd, QSocketNotifier::Read);
    QObject::connect(&wake, &QSocketNotifier::activated, [&] {
        quint64 count = 0;
        while (::read(m_wakeFd, &count, sizeof count) > 0) {
        }
        stop();
    });
    stop(); // a request that came before the process started
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    if (signalsSent == 1)
        reapGroup(group, stopClock, qint64(m_stopTerminateMs) + m_stopKillMs);
    if (m_state == StateRunning && m_mode == ModeProbe)
        readOutput(process, output ? &collector : nullptr);
    // What a conversion printed after the last read holds its closing lines,
    // the error that ended it among them.
    if (m_mode == ModeConvert)
        readOutput(process, output ? &collector : nullptr);

    engineTrace(QStringLiteral("----- runProcess : CloseHandle -----\n"));
    if (exitCode && process.exitStatus() == QProcess::NormalExit)
        *exitCode = process.exitCode();
    if (output)
        *output = collector;
    return true;
}

void ConvertEng::readOutput(QIODevice &pipe, QByteArray *collector)
{
    engineTrace(QStringLiteral("----------\n"));
    // Everything the converter has printed so far is handled now, a chunk at
    // a time, so that it never waits on a full pipe.
    while (pipe.bytesAvailable() > 0) {
        QByteArray chunk = pipe.read(chunkSize);
        if (chunk.isEmpty())
            break;
        engineTrace(chunk);
        const qsizetype zero = chunk.indexOf('\0');
        if (zero >= 0)
            chunk.truncate(zero);
        if (collector)
            collector->append(chunk);
        if (chunk.contains(kConverterMissingText))
            m_converterMissing = true;
        if (m_parseProgress) {
            parseProgress(chunk);
            m_outputTail.feed(chunk);
            storeProgressReport();
        }
    }
}
