#pragma once

#include "TitleCommands.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// The program's command line. The constructor declares the options; Parse
// reads the arguments and says what the process is to do: open the main
// window, or print a text (help, version, a usage error) and end. Parsing
// needs a QCoreApplication, for the program's name in the help text, but no
// display, so the options that only print work where no window can open.
class CAppCommandLine
{
public:
    enum class Action {
        ShowWindow,   // open the main window
        Exit,         // print Output() and ErrorOutput(), end with ExitCode()
        ListTitles,   // list the DVD titles of TitleRequest().strSource
        ConvertTitle, // convert one title as TitleRequest() says
    };

    CAppCommandLine();

    // args: the whole command line, the program first.
    Action Parse(const QStringList &args);

    Action GetAction() const { return m_action; }
    int ExitCode() const { return m_nExitCode; }
    // What belongs on standard output and on standard error.
    const QString &Output() const { return m_strOutput; }
    const QString &ErrorOutput() const { return m_strError; }

    // The last Parse failed only on options the GUI application takes as its
    // own (-platform, -style, ...): it takes them out of the arguments, which
    // are then parsed again. Any other unknown option is a usage error at once.
    bool FailedOnGuiOptionsOnly() const { return m_bGuiOptionsOnly; }

    // --self-check: open the main window, report the converter launcher it
    // finds and end (proves that an installed copy runs where it lies).
    bool SelfCheck() const { return m_bSelfCheck; }

    // The version line: the program's name and version.
    static QString VersionText();

    // What --list-titles and --convert ask for.
    const TitleCommands::ConvertRequest &TitleRequest() const { return m_titleRequest; }

private:
    void Fail(const QString &strProgram, const QString &strError);
    // The title commands: answers false after a usage error.
    bool ParseTitleCommands(const QString &strProgram);

    QCommandLineParser m_parser;
    QCommandLineOption m_optHelp;
    QCommandLineOption m_optVersion;
    QCommandLineOption m_optSelfCheck;
    QCommandLineOption m_optListTitles;
    QCommandLineOption m_optConvert;
    QCommandLineOption m_optTitle;
    QCommandLineOption m_optCategory;
    QCommandLineOption m_optPreset;
    QCommandLineOption m_optOutput;
    QCommandLineOption m_optOverwrite;
    QCommandLineOption m_optAudio;
    QCommandLineOption m_optSubtitles;
    QCommandLineOption m_optAnalyse;
    TitleCommands::ConvertRequest m_titleRequest;

    Action m_action = Action::ShowWindow;
    int m_nExitCode = 0;
    QString m_strOutput;
    QString m_strError;
    bool m_bGuiOptionsOnly = false;
    bool m_bSelfCheck = false;
};
