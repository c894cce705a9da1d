#pragma once

#include <QPointer>
#include <QWidget>

// The application's main window. The application sets it when it creates its
// main dialog; the settings store moves and measures this window. It turns
// null by itself when the window is destroyed.
extern QPointer<QWidget> g_pMainWnd;
