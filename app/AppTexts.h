#pragma once

#include "AppInfo.h"
#include "Resource.h"

#include <QString>

// The caption of the main window and of every message box of the main
// window, the convert command and the conversion dialog.
inline const QString kAppCaption = QStringLiteral(VELKO_APP_NAME);
inline const QString kAppVersion = QStringLiteral(VELKO_APP_VERSION);

// The program's string table; an empty string for an unknown id.
inline QString LoadAppString(int nId)
{
    switch (nId) {
    case IDS_ABOUTBOX:
        return QStringLiteral("&About...");
    default:
        return {};
    }
}
