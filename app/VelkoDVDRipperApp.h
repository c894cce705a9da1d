#pragma once

// The application object: sets up the Qt application and the settings
// profile, runs the main window modally and ends the process when it closes.
class CVelkoDVDRipperApp
{
public:
    CVelkoDVDRipperApp();
    virtual ~CVelkoDVDRipperApp();
    CVelkoDVDRipperApp(const CVelkoDVDRipperApp &) = delete;
    CVelkoDVDRipperApp &operator=(const CVelkoDVDRipperApp &) = delete;

    // The whole life of the process: the Qt application, InitInstance and
    // ExitInstance. Answers the process's exit code.
    int Run(int &argc, char **argv);

    // Runs the main window; false: there is no message loop of our own to
    // start afterwards.
    virtual bool InitInstance();
    virtual int ExitInstance();
};

extern CVelkoDVDRipperApp theApp;
