#include "AppCommandLine.h"

#include "AppTexts.h"

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
                                    "found and exits: 0 when it is there, 1 when not."))
{
    m_parser.setApplicationDescription(
        QStringLiteral("Converts the titles of a DVD into video files for phones, players, "
                       "game consoles and computers."));
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_optSelfCheck.setFlags(QCommandLineOption::HiddenFromHelp);
    m_parser.addOption(m_optHelp);
    m_parser.addOption(m_optVersion);
    m_parser.addOption(m_optSelfCheck);
}

QString CAppCommandLine::VersionText()
{
    return kAppCaption + u' ' + kAppVersion + u'\n';
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
    return m_action;
}

void CAppCommandLine::Fail(const QString &strProgram, const QString &strError)
{
    m_action = Action::Exit;
    m_nExitCode = kUsageExitCode;
    m_strError = strProgram + QStringLiteral(": ") + strError + u'\n' +
                 QStringLiteral("Try '%1 --help' for more information.\n").arg(strProgram);
}
