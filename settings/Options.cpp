#include "Options.h"

#include "AppProfile.h"
#include "SettingValue.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

COptions *g_pOptions = nullptr;

namespace
{
// Every value of the settings store sits at the top level of the profile.
const CSettingValue<QString> kOutputPath("", "OutputPath");
const CSettingValue<QString> kSnapshotPath("", "SnapshotPath");
const CSettingValue<QString> kInitDirectory("", "InitDirectory");
const CSettingValue<bool> kListTitles("", "ListDVDTitles", false);
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
    m_strOutputPath = kOutputPath.Get(profile);
    m_strSnapshotPath = kSnapshotPath.Get(profile);
    m_strInitDirectory = kInitDirectory.Get(profile);
    m_bListTitles = kListTitles.Get(profile);

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

void COptions::SavePaths()
{
    CAppProfile profile;
    kOutputPath.Set(profile, m_strOutputPath);
    kSnapshotPath.Set(profile, m_strSnapshotPath);
    kInitDirectory.Set(profile, m_strInitDirectory);
    kListTitles.Set(profile, m_bListTitles);
}
