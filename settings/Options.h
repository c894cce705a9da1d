#pragma once

#include <QString>

// The folders the program remembers between runs. The main window creates the
// one object at start-up (LoadPaths), copies its folders back into it when it
// is destroyed and then calls SavePaths. Nothing reaches the profile before
// that. The window's own position is kept by the window (CWindowPlacement).
class COptions
{
public:
    COptions() = default;
    virtual ~COptions() = default;

    // Reads the three folders; an empty or missing one gets its default:
    // output = documents folder + "/VelkoFreeVideos" and snapshots = pictures
    // folder (both created when nothing is there), DVD start folder =
    // documents folder. Stored values are used exactly as stored.
    void LoadPaths();
    void SavePaths();

    QString m_strOutputPath;    // "OutputPath": converted files go here
    QString m_strSnapshotPath;  // "SnapshotPath": preview snapshots go here
    QString m_strInitDirectory; // "InitDirectory": where "Select DVD Folder" starts
    // "ListDVDTitles": a loaded source lists its DVD titles, not its title
    // files. Read by LoadPaths and written by SavePaths with the folders.
    bool m_bListTitles = false;

private:
    static QString DocumentsFolder();
    static QString PicturesFolder();
    static void EnsureFolder(const QString &strPath);
};

// The one settings object of the run, owned by the main window; non-null from
// its initialisation to its destruction.
extern COptions *g_pOptions;
