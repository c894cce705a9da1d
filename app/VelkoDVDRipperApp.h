#pragma once

#include "AppCommandLine.h"

// The application object: reads the command line, sets up the Qt
// application and the settings profile, runs the main window modally and
// ends the process when it closes.
class CVelkoDVDRipperApp
{
public:
    CVelkoDVDRipperApp();
    virtual ~CVelkoDVDRipperApp();
    CVelkoDVDRipperApp(const CVelkoDVDRipperApp &) = delete;
    CVelkoDVDRipperApp &operator=(const CVelkoDVDRipperApp &) = delete;

    // The whole life of the process: the command line, the Qt application,
    // InitInstance and ExitInstance. Answers the process's exit code.
    int Run(int &argc, char **argv);

    // Runs the main window; false: there is no message loop of our own to
    // start afterwards.
    virtual bool InitInstance();
    virtual int ExitInstance();

private:
    // Names the application (settings profile, desktop entry, version) for
    // the Qt application object alive now.
    static void SetIdentity();
    // Prints the texts of a command line that ends the process.
    static int FinishCommandLine(const CAppCommandLine &cmdLine);
    // --list-titles and --convert, answered without a window.
    static int RunTitleCommand(const CAppCommandLine &cmdLine);
    // The self-check's report on the converter launcher; answers the exit
    // code: 0 when the launcher is there and can be run.
    static int ReportLauncher();

    CAppCommandLine m_cmdLine;
    int m_nExitCode = 0;
};

extern CVelkoDVDRipperApp theApp;
