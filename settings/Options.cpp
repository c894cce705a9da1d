#include "Options.h"

#include "AppProfile.h"
#include "MainWnd.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>

COptions *g_pOptions = nullptr;

namespace
{
// Every value of the settings store sits at the top level of the profile.
const QString kTopLevel;
} // namespace

QString COptions::DocumentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString COptions::PicturesFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
}

void COptions::EnsureFolder(const QString &strPath)
{
    // Anything already there, folder or file, is left alone. Parents are
    // created too: a fresh Linux account need not have a Documents folder yet.
    // A failure is not reported; the path is still used.
    if (strPath.isEmpty() || QFileInfo::exists(strPath))
        return;
    QDir().mkpath(strPath);
}

void COptions::LoadPaths()
{
    const CAppProfile profile;
    m_strOutputPath = profile.GetProfileString(kTopLevel, QStringLiteral("OutputPath"));
    m_strSnapshotPath = profile.GetProfileString(kTopLevel, QStringLiteral("SnapshotPath"));
    m_strInitDirectory = profile.GetProfileString(kTopLevel, QStringLiteral("InitDirectory"));
    m_bListTitles = profile.GetProfileInt(kTopLevel, QStringLiteral("ListDVDTitles"), 0) != 0;

    // When the system names no documents or pictures folder the field stays
    // empty rather than pointing at a folder below the file-system root.
    if (m_strOutputPath.isEmpty()) {
        const QString documents = DocumentsFolder();
        if (!documents.isEmpty()) {
            m_strOutputPath = documents + QStringLiteral("/VelkoFreeVideos");
            EnsureFolder(m_strOutputPath);
        }
    }
    if (m_strSnapshotPath.isEmpty()) {
        m_strSnapshotPath = PicturesFolder();
        EnsureFolder(m_strSnapshotPath);
    }
    if (m_strInitDirectory.isEmpty())
        m_strInitDirectory = DocumentsFolder();
}

void COptions::RestorePlacement()
{
    const CAppProfile profile;
    // 64-bit arithmetic: Right + Left must not overflow for any stored values.
    qint64 left = profile.GetProfileInt(kTopLevel, QStringLiteral("Left"), 0);
    qint64 top = profile.GetProfileInt(kTopLevel, QStringLiteral("Top"), 0);
    qint64 right = profile.GetProfileInt(kTopLevel, QStringLiteral("Right"), 0);

    if (left < 0) {
        right += left;
        left = 0;
    }
    if (top < 0)
        top = 0;
    if (right == 0)
        return; // nothing usable stored: the window stays where it was placed

    QWidget *pWnd = g_pMainWnd;
    if (!pWnd)
        return;
    // A corner on no screen (say, a monitor that has since been unplugged)
    // would put the window out of reach; it then stays where it was placed.
    const QPoint corner(static_cast<int>(left), static_cast<int>(top));
    if (!QGuiApplication::screenAt(corner))
        return;
    pWnd->move(corner);
}

void COptions::SavePaths()
{
    CAppProfile profile;
    profile.WriteProfileString(kTopLevel, QStringLiteral("OutputPath"), m_strOutputPath);
    profile.WriteProfileString(kTopLevel, QStringLiteral("SnapshotPath"), m_strSnapshotPath);
    profile.WriteProfileString(kTopLevel, QStringLiteral("InitDirectory"), m_strInitDirectory);
    profile.WriteProfileInt(kTopLevel, QStringLiteral("ListDVDTitles"), m_bListTitles ? 1 : 0);
}

void COptions::SavePlacement()
{
    QWidget *pWnd = g_pMainWnd;
    if (!pWnd)
        return;
    CAppProfile profile;
    const bool maximized = pWnd->isMaximized();
    profile.WriteProfileInt(kTopLevel, QStringLiteral("Maximized"), maximized ? 1 : 0);
    if (maximized)
        return; // keep the edges of the last normal placement

    // Right and bottom are exclusive edges: left + width, top + height.
    const QRect frame = pWnd->frameGeometry();
    profile.WriteProfileInt(kTopLevel, QStringLiteral("Left"), frame.x());
    profile.WriteProfileInt(kTopLevel, QStringLiteral("Top"), frame.y());
    profile.WriteProfileInt(kTopLevel, QStringLiteral("Bottom"), frame.y() + frame.height());
    profile.WriteProfileInt(kTopLevel, QStringLiteral("Right"), frame.x() + frame.width());
}
