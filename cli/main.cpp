// The program the user starts. What the command line asks to be printed,
// listed or converted is answered here, with Qt Core alone; for the window
// the process is handed over to the window program.
#include "AppCommandLine.h"
#include "AppInfo.h"
#include "TitleCommands.h"
#include "WindowProgram.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Nothing to read: the window, before anything else is set up, so that
    // opening it costs no more than starting the window program would.
    if (argc <= 1)
        return cli::handOverToWindow(argv);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral(VELKO_PROFILE_NAME));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELKO_APP_VERSION));

    // No DVD's tables are read in this process.
    TitleCommands::ReadTablesInLauncher();
    CAppCommandLine cmdLine;
    QTextStream out(stdout);
    QTextStream err(stderr);
    switch (cmdLine.Parse(QCoreApplication::arguments())) {
    case CAppCommandLine::Action::Exit:
        // Options of the GUI application (-platform, -style, ...) are the
        // window program's to read, and so is what they leave over.
        if (cmdLine.FailedOnGuiOptionsOnly())
            break;
        std::fputs(cmdLine.Output().toLocal8Bit().constData(), stdout);
        std::fputs(cmdLine.ErrorOutput().toLocal8Bit().constData(), stderr);
        std::fflush(stdout);
        return cmdLine.ExitCode();
    case CAppCommandLine::Action::ListTitles:
        return TitleCommands::ListTitles(cmdLine.TitleRequest().strSource, out, err,
                                         cmdLine.TitleRequest().bAnalyse);
    case CAppCommandLine::Action::ConvertTitle:
        return TitleCommands::ConvertTitle(cmdLine.TitleRequest(), out, err);
    case CAppCommandLine::Action::ShowWindow:
        break;
    }
    return cli::handOverToWindow(argv);
}
