#include "VelkoDVDRipperApp.h"

#include "AppProfile.h"
#include "MainWnd.h"
#include "ResIcons.h"
#include "Resource.h"
#include "VelkoDVDRipperDlg.h"

#include <QApplication>

CVelkoDVDRipperApp theApp;

CVelkoDVDRipperApp::CVelkoDVDRipperApp() = default;

CVelkoDVDRipperApp::~CVelkoDVDRipperApp() = default;

int CVelkoDVDRipperApp::Run(int &argc, char **argv)
{
    QApplication app(argc, argv);
    // The settings profile: organisation "Local AppWizard-Generated
    // Applications", application = the executable's base name.
    QCoreApplication::setOrganizationName(CAppProfile::OrganizationName());
    QCoreApplication::setApplicationName(CAppProfile::AppName());
    // The window manager draws the icon of every window, minimised ones too.
    QGuiApplication::setWindowIcon(LoadIconResource(IDR_MAINFRAME));

    InitInstance();
    return ExitInstance();
}

bool CVelkoDVDRipperApp::InitInstance()
{
    CVelkoDVDRipperDlg dlg;
    g_pMainWnd = &dlg;
    dlg.DoModal();
    return false;
}

int CVelkoDVDRipperApp::ExitInstance()
{
    return 0;
}
