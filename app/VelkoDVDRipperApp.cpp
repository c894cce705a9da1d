#include "VelkoDVDRipperApp.h"

#include "AppInfo.h"
#include "AppProfile.h"
#include "AppTexts.h"
#include "ConvertEng.h"
#include "ResIcons.h"
#include "Resource.h"
#include "TitleCommands.h"
#include "VelkoDVDRipperDlg.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

CVelkoDVDRipperApp theApp;

CVelkoDVDRipperApp::CVelkoDVDRipperApp() = default;

CVelkoDVDRipperApp::~CVelkoDVDRipperApp() = default;

void CVelkoDVDRipperApp::SetIdentity()
{
    // The settings profile: organisation "Local AppWizard-Generated
    // Applications", application = the executable's base name.
    QCoreApplication::setOrganizationName(CAppProfile::OrganizationName());
    QCoreApplication::setApplicationName(CAppProfile::AppName());
    QCoreApplication::setApplicationVersion(kAppVersion);
}

int CVelkoDVDRipperApp::FinishCommandLine(const CAppCommandLine &cmdLine)
{
    std::fputs(cmdLine.Output().toLocal8Bit().constData(), stdout);
    std::fputs(cmdLine.ErrorOutput().toLocal8Bit().constData(), stderr);
    std::fflush(stdout);
    return cmdLine.ExitCode();
}

int CVelkoDVDRipperApp::Run(int &argc, char **argv)
{
    // The front program answers the options that only print, list or
    // convert, without a display, and hands over here for the window: the
    // GUI application is made at once.
    QApplication app(argc, argv);
    SetIdentity();
    // The window belongs to the desktop entry of the same id: the desktop
    // shows the entry's name and icon for it and groups its windows.
    QGuiApplication::setDesktopFileName(QStringLiteral(VELKO_APP_ID));
    // No DVD's tables are read in the window's own process.
    TitleCommands::ReadTablesInLauncher();
    // The GUI application has taken its own options (-platform, -style...)
    // out of the arguments: what is left must be ours.
    switch (m_cmdLine.Parse(QCoreApplication::arguments())) {
    case CAppCommandLine::Action::Exit:
        return FinishCommandLine(m_cmdLine);
    case CAppCommandLine::Action::ListTitles:
    case CAppCommandLine::Action::ConvertTitle:
        return RunTitleCommand(m_cmdLine);
    case CAppCommandLine::Action::ShowWindow:
        break;
    }
    // The window manager draws the icon of every window, minimised ones too.
    QGuiApplication::setWindowIcon(LoadIconResource(IDR_MAINFRAME));

    InitInstance();
    return ExitInstance();
}

int CVelkoDVDRipperApp::RunTitleCommand(const CAppCommandLine &cmdLine)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (cmdLine.GetAction() == CAppCommandLine::Action::ListTitles)
        return TitleCommands::ListTitles(cmdLine.TitleRequest().strSource, out, err);
    return TitleCommands::ConvertTitle(cmdLine.TitleRequest(), out, err);
}

int CVelkoDVDRipperApp::ReportLauncher()
{
    // The desktop entry the window belongs to, for a look whether it is
    // installed beside the program.
    std::printf("desktop entry: %s.desktop\n", qPrintable(QGuiApplication::desktopFileName()));
    const QString strLauncher = ConvertEng::makeConverterPath();
    if (QFileInfo(strLauncher).isExecutable()) {
        std::printf("launcher: %s\n", qPrintable(strLauncher));
        std::fflush(stdout);
        return 0;
    }
    std::fprintf(stderr, "launcher not found: %s\n", qPrintable(strLauncher));
    return 1;
}

bool CVelkoDVDRipperApp::InitInstance()
{
    CVelkoDVDRipperDlg dlg;
    if (m_cmdLine.SelfCheck()) {
        // Once the window is up: report and close it as the user would.
        QTimer::singleShot(0, &dlg, [this, &dlg] {
            m_nExitCode = ReportLauncher();
            dlg.close();
        });
    }
    dlg.DoModal();
    return false;
}

int CVelkoDVDRipperApp::ExitInstance()
{
    return m_nExitCode;
}
