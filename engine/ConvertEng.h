#pragma once

#include "ConvertJob.h"
#include "EngineMode.h"
#include "EngineState.h"
#include "MediaInfo.h"
#include "OutputTail.h"
#include "RunEstimate.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

class QIODevice;
class QObject;
class QProcess;

// Works through a list of DVD title files on a worker thread of its own:
// in ModeConvert every job is converted with the converter and a preset's
// argument string, in ModeProbe every job is probed for its duration and
// video format. The owner fills the job list and the fields marked "owner
// sets", calls start(), then polls m_state and getCurrentJob() until the
// state is StateStopped or StateFinished.
class ConvertEng
{
public:
    // Asked on the worker thread whether an existing target may be replaced:
    // answer 1 to replace it, anything else to leave it in place.
    using Callback = qint32 (*)(qint32 event, void *data);

    ConvertEng();
    virtual ~ConvertEng();
    ConvertEng(const ConvertEng &) = delete;
    ConvertEng &operator=(const ConvertEng &) = delete;

    virtual bool isReady();
    virtual bool clear();
    virtual bool processJob(const QString &source, const QString &target);
    virtual bool start();
    virtual void onFinished();

    bool addJob(const QString &path);
    // addJob, with the length the title list shows for the title (whole
    // seconds, 0 when unknown), from which a run's time left is reckoned.
    bool addJob(const QString &path, qint32 listedDuration);
    bool isListed(const QString &path) const;
    bool getCurrentJob(ConvertJob &out) const;
    void setJobPercent(qint32 percent, qint32 index);
    // Has `slot` run on the thread of `context`, through its event loop, as
    // soon as the worker has published its final state: an owner acts at
    // once instead of at its next poll. The owner calls it before start();
    // `context` must outlive the worker (the engine's destruction waits for
    // it, so an owner that holds the engine qualifies).
    void notifyFinalState(QObject *context, std::function<void()> slot);
    // Asks a running worker to stop: the converter is told to quit at once
    // and no further job starts. Answers false when the engine was not
    // running. Safe to call from a signal handler.
    bool requestStop();

    // Title scan: adds a job for every title file below folder.
    void scanFolder(QString extension, QString folder);

    // Target naming and converter location.
    QString makeTargetPath(const QString &source, const QString &folder) const;
    static QString makeConverterPath();

    // Job script and process runner.
    QString makeScriptBase() const;
    QString writeScript(const QString &arguments, const QString &target,
                        const QString &source) const;
    // exitCode, when given, receives the script's exit status (the
    // converter's), or -1 when it did not start or ended by a signal.
    bool runProcess(QByteArray *output, const QString &commandLine, int *exitCode = nullptr);
    // runProcess with a program and its arguments in place of a script.
    bool runProgram(QByteArray *output, const QString &program, const QStringList &arguments,
                    int *exitCode = nullptr);
    void readOutput(QIODevice &pipe, QByteArray *collector);

    // Converter output parser.
    // What the converter's probe form prints about source.
    QByteArray probeText(const QString &source);
    qint32 probeDuration(const QString &source);
    MediaInfo probeMedia(const QString &source);
    void parseProgress(const QByteArray &chunk);
    static qint32 parseClock(const QByteArray &text);
    // Cut the duration (whole seconds) and the duration and format texts out
    // of what one probe run printed.
    static qint32 durationFromProbe(const QByteArray &text);
    static MediaInfo mediaFromProbe(const QString &text);
    static QString utf8ToWide(const QByteArray &bytes);

    // Copies what the run is at under the lock: the current job, its place
    // among the jobs and the lengths of the jobs after it. Answers false,
    // leaving out untouched, when no job is being worked on.
    bool sampleRun(RunSample &out) const;

    // The log of the latest conversion run: the last lines the converter
    // printed for each title and how the title ended.
    static QString conversionLogPath();
    // Milliseconds on a steady clock, the one ConvertJob::startedMs is on.
    static qint64 clockMs();

    // Quotes a path for the POSIX shell: inside single quotes, each ' as '\''.
    static QString shellQuote(const QString &text);

    // --- shared with the owner ---
    mutable std::mutex m_hLock;
    std::thread m_hThread;
    QString m_converterPath;
    QString m_outputFolder; // owner sets
    QString m_arguments;    // owner sets
    QString m_extension;    // owner sets; empty keeps the source file name
    QList<ConvertJob *> m_jobs;
    std::map<QString, ConvertJob *> m_jobIndex;
    QList<MediaInfo> m_mediaInfos;
    std::atomic<int> m_state{StateIdle};
    std::atomic<int> m_current{-1};
    std::atomic<bool> m_parseProgress{false};
    // Set when the launcher reported that ffmpeg is not installed, during
    // the run that start() began; the owner tells the user once.
    std::atomic<bool> m_converterMissing{false};
    // The line the launcher begins with when it cannot find ffmpeg.
    static constexpr char kConverterMissingText[] = "torvane: cannot start ffmpeg: not installed";
    std::atomic<int> m_mode{ModeConvert};  // owner sets
    std::atomic<qint64> m_runStartedMs{0}; // when the worker began, on clockMs()
    Callback m_callback = nullptr;         // owner sets
    void *m_callbackData = nullptr;        // owner sets
    // Owner sets: NAME=VALUE entries added to the converter's environment
    // (the user's picture settings, CPictureOptions).
    QStringList m_environment;

    // A converter still running this long after a stop request is sent
    // SIGTERM, and SIGKILL once the second delay has passed as well.
    int m_stopTerminateMs = 10000;
    int m_stopKillMs = 5000;

private:
    void runProc();
    void deleteJobs();
    static bool canOpenForReading(const QString &path);
    // What a failed conversion is reported with: the converter's last
    // message line, or its exit status when it printed none.
    static QString describeFailure(const OutputTail &output, int exitCode);
    void setJobResult(qint32 status, const QString &lastError);
    void storeProgressReport();
    void startLog();
    void appendLog(const ConvertJob &job);

    // Readable when a stop was requested: wakes a worker that waits on its
    // converter.
    int m_wakeFd = -1;
    // Run on the worker right after it has published the final state.
    std::function<void()> m_finalStateHook;
    // Why the last writeScript failed (an errno), 0 when it worked.
    mutable int m_scriptError = 0;
    // The failure of a job whose script could not be written.
    void failForScript();

    // Conversion output that waits for the end of its line.
    QByteArray m_progressText;
    // The current conversion's output, on the worker only.
    OutputTail m_outputTail;
    QByteArray m_reportedLine;
};
