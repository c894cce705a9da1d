#include "AppCommandLine.h"

#include "AppInfo.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

namespace
{
// Exit code of a command line the program cannot follow.
constexpr int kUsageExitCode = 2;

// Options that QGuiApplication and QApplication read (and remove) on X11 and
// Wayland.
bool IsGuiApplicationOption(const QString &strName)
{
    static const QStringList names = {
        QStringLiteral("platform"),      QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"), QStringLiteral("plugin"),
        QStringLiteral("qmljsdebugger"), QStringLiteral("qwindowgeometry"),
        QStringLiteral("qwindowicon"),   QStringLiteral("qwindowtitle"),
        QStringLiteral("reverse"),       QStringLiteral("session"),
        QStringLiteral("display"),       QStringLiteral("geometry"),
        QStringLiteral("name"),          QStringLiteral("title"),
        QStringLiteral("visual"),        QStringLiteral("nograb"),
        QStringLiteral("dograb"),        QStringLiteral("sync"),
        QStringLiteral("style"),         QStringLiteral("stylesheet"),
        QStringLiteral("widgetcount"),
    };
    return names.contains(strName);
}
} // namespace

CAppCommandLine::CAppCommandLine()
    : m_optHelp({QStringLiteral("h"), QStringLiteral("help")},
                QStringLiteral("Shows this help and exits.")),
      m_optVersion({QStringLiteral("v"), QStringLiteral("version")},
                   QStringLiteral("Shows the program's name and version and exits.")),
      m_optSelfCheck(QStringLiteral("self-check"),
                     QStringLiteral("Opens the main window, prints the converter launcher it "
                                    "found and exits: 0 when it is there, 1 when not.")),
      m_optListTitles(QStringLiteral("list-titles"),
                      QStringLiteral("Prints the titles of the DVD at <source> (a DVD folder, a "
                                     "mount point, a device or an ISO image), one a line: its "
                                     "number, duration, chapters, audio tracks and subtitle "
                                     "streams, how its picture was scanned where it was "
                                     "analysed before, and \"main title\" on the film's line."),
                      QStringLiteral("source")),
      m_optConvert(QStringLiteral("convert"),
                   QStringLiteral("Converts one title of the DVD at <source> with --title, "
                                  "--category, --preset and --output, without a window. Exit "
                                  "codes: 0 done, 1 the conversion failed or was stopped, 2 a "
                                  "wrong option or value, 3 the source is not a readable DVD, 4 "
                                  "the output folder cannot take the file."),
                   QStringLiteral("source")),
      m_optTitle(QStringLiteral("title"),
                 QStringLiteral("The number of the title to convert, or \"main\" for the title "
                                "the disc plays as the film."),
                 QStringLiteral("number")),
      m_optCategory(
          QStringLiteral("category"),
          QStringLiteral("The output category, as the main window lists it (\"MPEG-4\")."),
          QStringLiteral("name")),
      m_optPreset(QStringLiteral("preset"),
                  QStringLiteral("A preset of that category, as the main window lists it."),
                  QStringLiteral("name")),
      m_optOutput(QStringLiteral("output"),
                  QStringLiteral("The folder that receives \"LABEL - Title NN.ext\"."),
                  QStringLiteral("folder")),
      m_optOverwrite(QStringLiteral("overwrite"),
                     QStringLiteral("Replaces a file of the same name in the output folder.")),
      m_optAudio(QStringLiteral("audio"),
                 QStringLiteral("The audio tracks to convert, in order: languages (\"fr\") or "
                                "track numbers from --list-titles, separated by commas. By "
                                "default the first normal track in the preferred language."),
                 QStringLiteral("tracks")),
      m_optSubtitles(QStringLiteral("subtitles"),
                     QStringLiteral("The subtitles burned into the picture: a language, a "
                                    "stream number or \"none\". By default the forced "
                                    "subtitles of the first audio track's language."),
                     QStringLiteral("stream")),
      m_optAnalyse(QStringLiteral("analyse"),
                   QStringLiteral("With --list-titles: analyses the pictures of the titles "
                                  "not analysed yet (some seconds each) before listing them."))
{
    m_parser.setApplicationDescription(
        QStringLiteral("Converts the titles of a DVD into video files for phones, players, "
                       "game consoles and computers."));
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_optSelfCheck.setFlags(QCommandLineOption::HiddenFromHelp);
    m_parser.addOption(m_optHelp);
    m_parser.addOption(m_optVersion);
    m_parser.addOption(m_optSelfCheck);
    for (const QCommandLineOption *pOption :
         {&m_optListTitles, &m_optConvert, &m_optTitle, &m_optCategory, &m_optPreset, &m_optOutput,
          &m_optOverwrite, &m_optAudio, &m_optSubtitles, &m_optAnalyse})
        m_parser.addOption(*pOption);
}

QString CAppCommandLine::VersionText()
{
    return QStringLiteral(VELKO_APP_NAME " " VELKO_APP_VERSION "\n");
}

CAppCommandLine::Action CAppCommandLine::Parse(const QStringList &args)
{
    m_action = Action::ShowWindow;
    m_nExitCode = 0;
    m_strOutput.clear();
    m_strError.clear();
    m_bGuiOptionsOnly = false;
    m_bSelfCheck = false;

    const QString strProgram =
        args.isEmpty() ? QStringLiteral("VelkoFreeDVDRipper") : QFileInfo(args.first()).fileName();
    if (!m_parser.parse(args)) {
        const QStringList unknown = m_parser.unknownOptionNames();
        m_bGuiOptionsOnly = !unknown.isEmpty() &&
                            std::all_of(unknown.begin(), unknown.end(), IsGuiApplicationOption);
        Fail(strProgram, m_parser.errorText());
        return m_action;
    }
    if (m_parser.isSet(m_optHelp)) {
        m_action = Action::Exit;
        m_strOutput = m_parser.helpText();
        return m_action;
    }
    if (m_parser.isSet(m_optVersion)) {
        m_action = Action::Exit;
        m_strOutput = VersionText();
        return m_action;
    }
    const QStringList positional = m_parser.positionalArguments();
    if (!positional.isEmpty()) {
        Fail(strProgram, QStringLiteral("Unexpected argument '%1'.").arg(positional.first()));
        return m_action;
    }
    m_bSelfCheck = m_parser.isSet(m_optSelfCheck);
    ParseTitleCommands(strProgram);
    return m_action;
}

bool CAppCommandLine::ParseTitleCommands(const QString &strProgram)
{
    m_titleRequest = {};
    const bool bList = m_parser.isSet(m_optListTitles);
    const bool bConvert = m_parser.isSet(m_optConvert);
    const QList<const QCommandLineOption *> convertOptions = {&m_optTitle, &m_optCategory,
                                                              &m_optPreset, &m_optOutput};
    if (bList && bConvert) {
        Fail(strProgram, QStringLiteral("--list-titles and --convert cannot be used together."));
        return false;
    }
    if (!bConvert) {
        for (const QCommandLineOption *pOption :
             convertOptions +
                 QList<const QCommandLineOption *>{&m_optOverwrite, &m_optAudio, &m_optSubtitles}) {
            if (m_parser.isSet(*pOption)) {
                Fail(strProgram, QStringLiteral("--%1 belongs to --convert.")
                                     .arg(pOption->names().constFirst()));
                return false;
            }
        }
    }
    if (!bList && m_parser.isSet(m_optAnalyse)) {
        Fail(strProgram, QStringLiteral("--analyse belongs to --list-titles."));
        return false;
    }
    if (bList) {
        m_action = Action::ListTitles;
        m_titleRequest.strSource = m_parser.value(m_optListTitles);
        m_titleRequest.bAnalyse = m_parser.isSet(m_optAnalyse);
        return true;
    }
    if (!bConvert)
        return true;
    QStringList missing;
    for (const QCommandLineOption *pOption : convertOptions) {
        if (!m_parser.isSet(*pOption))
            missing << QStringLiteral("--") + pOption->names().constFirst();
    }
    if (!missing.isEmpty()) {
        Fail(strProgram,
             QStringLiteral("--convert also needs %1.").arg(missing.join(QStringLiteral(", "))));
        return false;
    }
    m_action = Action::ConvertTitle;
    m_titleRequest.strSource = m_parser.value(m_optConvert);
    m_titleRequest.strTitle = m_parser.value(m_optTitle);
    m_titleRequest.strCategory = m_parser.value(m_optCategory);
    m_titleRequest.strPreset = m_parser.value(m_optPreset);
    m_titleRequest.strOutput = m_parser.value(m_optOutput);
    m_titleRequest.bOverwrite = m_parser.isSet(m_optOverwrite);
    m_titleRequest.strAudio = m_parser.value(m_optAudio);
    m_titleRequest.strSubtitles = m_parser.value(m_optSubtitles);
    return true;
}

void CAppCommandLine::Fail(const QString &strProgram, const QString &strError)
{
    m_action = Action::Exit;
    m_nExitCode = kUsageExitCode;
    m_strError = strProgram + QStringLiteral(": ") + strError + u'\n' +
                 QStringLiteral("Try '%1 --help' for more information.\n").arg(strProgram);
}
