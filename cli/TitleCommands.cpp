#include "TitleCommands.h"

#include "AudioLanguage.h"
#include "ConvertEng.h"
#include "Disc.h"
#include "DiscDrives.h"
#include "DiscTitles.h"
#include "FilePath.h"
#include "PictureOptions.h"
#include "PictureQuery.h"
#include "PresetCatalogue.h"
#include "TablesChild.h"
#include "TrackRequest.h"
#include "TrackTexts.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTextStream>
#include <QTimer>

#include <atomic>
#include <csignal>

namespace TitleCommands
{

namespace
{

// How often the percentage is looked at while a title converts.
constexpr int kProgressMs = 300;

volatile std::sig_atomic_t g_stopSignal = 0;
// The engine a stop signal reaches at once; requestStop is safe in a handler.
std::atomic<ConvertEng *> g_pStopEngine{nullptr};

void RequestStop(int nSignal)
{
    g_stopSignal = nSignal;
    if (ConvertEng *pEngine = g_pStopEngine.load())
        pEngine->requestStop();
}

// Index of the entry named strName (letter case ignored), or -1.
int FindName(const QStringList &names, const QString &strName)
{
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(strName.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString NameList(const QStringList &names)
{
    return QStringLiteral("'") + names.join(QStringLiteral("', '")) + QStringLiteral("'");
}

// Whether a file can be made in strFolder.
bool CanWriteIn(const QString &strFolder)
{
    QTemporaryFile probe(strFolder + QStringLiteral("/.velko-write-test-XXXXXX"));
    return probe.open();
}

} // namespace

void ReadTablesInLauncher()
{
    dvd::readTablesInChild(filepath::toNative(ConvertEng::makeConverterPath()).toStdString());
}

int ListTitles(const QString &strSource, QTextStream &out, QTextStream &err, bool bAnalyse)
{
    const CDiscTitles titles = CDiscTitles::Open(strSource);
    if (!titles.IsOpen()) {
        err << "Cannot list the titles of '" << strSource << "': " << titles.Error() << '\n';
        return ExitSourceUnreadable;
    }
    // Known analyses come from the launcher's cache without a single ffmpeg
    // run, so the listing stays quick.
    // A title that cannot be read is not asked for.
    QStringList sources;
    for (const dvd::Title &title : titles.Titles()) {
        if (title.unreadable.empty())
            sources << titles.JobSource(title);
    }
    const QStringList classes = PictureQuery::classesNow(sources, !bAnalyse);
    const int nMain = titles.MainTitle();
    int nAsked = 0;
    for (int i = 0; i < int(titles.Titles().size()); ++i) {
        const dvd::Title &title = titles.Titles()[std::size_t(i)];
        QString strScan;
        if (title.unreadable.empty()) {
            strScan = classes[nAsked++];
            if (strScan.isEmpty())
                strScan = QStringLiteral("not analysed");
        }
        out << TitleListLine(title, i == nMain, strScan) << '\n';
    }
    if (const QString strNote = titles.MainTitleNote(); !strNote.isEmpty())
        out << strNote << '\n';
    out.flush();
    return ExitOk;
}

int ConvertTitle(const ConvertRequest &request, QTextStream &out, QTextStream &err)
{
    const bool bMainTitle =
        request.strTitle.trimmed().compare(QStringLiteral("main"), Qt::CaseInsensitive) == 0;
    bool bNumber = false;
    int nTitle = request.strTitle.trimmed().toInt(&bNumber);
    if (!bMainTitle && (!bNumber || nTitle < 1)) {
        err << "--title needs a title number (1, 2, ...) or 'main', not '" << request.strTitle
            << "'.\n";
        return ExitUsage;
    }

    PresetCatalogue catalogue;
    BuildPresetCatalogue(catalogue);
    QStringList categories;
    for (int c = 0; c < catalogue.CategoryCount(); ++c)
        categories << catalogue.CategoryName(c);
    const int nCategory = FindName(categories, request.strCategory);
    if (nCategory < 0) {
        err << "Unknown category '" << request.strCategory << "'. The categories are "
            << NameList(categories) << ".\n";
        return ExitUsage;
    }
    QStringList presets;
    for (int p = 0; p < catalogue.PresetCount(nCategory); ++p)
        presets << catalogue.PresetName(nCategory, p);
    const int nPreset = FindName(presets, request.strPreset);
    if (nPreset < 0) {
        err << "Unknown preset '" << request.strPreset << "' in '" << categories[nCategory]
            << "'. Its presets are " << NameList(presets) << ".\n";
        return ExitUsage;
    }

    const CDiscTitles titles = CDiscTitles::Open(request.strSource);
    if (!titles.IsOpen()) {
        err << "Cannot read the DVD '" << request.strSource << "': " << titles.Error() << '\n';
        return ExitSourceUnreadable;
    }
    if (bMainTitle) {
        const int nMain = titles.MainTitle();
        if (nMain < 0) {
            err << "The DVD '" << request.strSource << "' has no title that can be the film.\n";
            return ExitUsage;
        }
        nTitle = titles.Titles()[std::size_t(nMain)].number;
        if (const QString strNote = titles.MainTitleNote(); !strNote.isEmpty())
            err << strNote << '\n';
    }
    const dvd::Title *pTitle = titles.Title(nTitle);
    if (!pTitle) {
        err << "The DVD '" << request.strSource << "' has no title " << nTitle << "; it has "
            << titles.Titles().size() << " (see --list-titles).\n";
        return ExitUsage;
    }
    if (!pTitle->unreadable.empty()) {
        err << "Title " << nTitle << " of the DVD '" << request.strSource
            << "' cannot be read: " << QString::fromStdString(pTitle->unreadable) << ".\n";
        return ExitSourceUnreadable;
    }

    const QFileInfo output(request.strOutput);
    const QString strOutput = QDir::cleanPath(output.absoluteFilePath());
    if (request.strOutput.isEmpty() || !output.isDir()) {
        err << "The output folder '" << request.strOutput << "' does not exist.\n";
        return ExitOutputUnusable;
    }
    if (IsOnOpticalDrive(strOutput) || !CanWriteIn(strOutput)) {
        err << "Cannot write in the output folder '" << request.strOutput << "'.\n";
        return ExitOutputUnusable;
    }

    QEventLoop loop;
    ConvertEng engine;
    titles::TrackChoice choice;
    choice.language = PreferredAudioLanguage().toStdString();
    QString strTrackError;
    if (!ParseTrackRequest(*pTitle, request.strAudio, request.strSubtitles, choice,
                           strTrackError)) {
        err << strTrackError << " Its tracks: " << TrackListText(*pTitle) << ".\n";
        return ExitUsage;
    }
    const QString strJob = titles.JobSource(*pTitle, choice);
    engine.addJob(strJob);
    engine.m_arguments = catalogue.PresetArguments(nCategory, nPreset);
    engine.m_extension = catalogue.PresetExtension(nCategory, nPreset);
    engine.m_outputFolder = strOutput;
    // The picture settings the window keeps hold here too.
    CPictureOptions picture;
    picture.Load();
    engine.m_environment = picture.ConverterEnvironment();
    const QString strTarget = engine.makeTargetPath(strJob, strOutput);
    if (QFileInfo::exists(strTarget)) {
        if (!request.bOverwrite) {
            err << "'" << strTarget << "' already exists; --overwrite replaces it.\n";
            return ExitOutputUnusable;
        }
        engine.m_callback = [](qint32, void *) -> qint32 { return 1; };
    }
    engine.m_mode = ModeConvert;

    // The process sleeps until the worker has ended (the loop outlives the
    // engine); the percentage is shown as it changes, every 300 ms.
    engine.notifyFinalState(&loop, [&loop] { loop.quit(); });
    int nShown = -1;
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, [&] {
        ConvertJob job;
        if (engine.getCurrentJob(job) && job.percent != nShown) {
            nShown = job.percent;
            err << "\r" << nShown << "%";
            err.flush();
        }
    });
    progress.start(kProgressMs);

    g_stopSignal = 0;
    g_pStopEngine = &engine;
    const auto previousInt = std::signal(SIGINT, RequestStop);
    const auto previousTerm = std::signal(SIGTERM, RequestStop);
    err << "Converting title " << nTitle << " (" << TitleClockText(pTitle->durationMs) << ") to '"
        << strTarget << "'\n";
    err.flush();
    engine.start();
    if (g_stopSignal) // a signal before the worker was running
        engine.requestStop();
    if (engine.m_state != StateFinished && engine.m_state != StateStopped)
        loop.exec();
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
    g_pStopEngine = nullptr;
    progress.stop();

    const bool bStopped = engine.m_state == StateStopped;
    // The worker has finished: the job is the owner's to read again.
    const ConvertJob finished = engine.m_jobs.isEmpty() ? ConvertJob() : *engine.m_jobs.front();
    const QString strSummary = finished.outcome.summary();
    if (bStopped || finished.status == StatusFailed || !QFileInfo::exists(strTarget)) {
        err << (nShown >= 0 ? "\n" : "");
        if (bStopped)
            err << "Stopped.\n";
        else if (!finished.lastError.isEmpty())
            err << "The conversion failed. The converter said:\n" << finished.lastError << '\n';
        else
            err << "The conversion failed: the converter made no file.\n";
        if (!strSummary.isEmpty())
            err << strSummary << '\n';
        return ExitConversionFailed;
    }
    err << "\r100%\n";
    if (!strSummary.isEmpty())
        err << strSummary << '\n';
    out << strTarget << '\n';
    out.flush();
    return ExitOk;
}

} // namespace TitleCommands
