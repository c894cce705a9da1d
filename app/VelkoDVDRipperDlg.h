#pragma once

#include "PictureQuery.h"
#include "Resource.h"
#include "TextToolBar.h"
#include "prevkit.h"

#include <QComboBox>
#include <QDialog>
#include <QIcon>
#include <QList>
#include <QString>
#include <QTableWidget>

#include <memory>

class CDiscTitles;
class CLoadingDlg;

// What a DVD title's row holds beside its text: the job source the engine
// converts, and what the preview plays.
inline constexpr int kJobSourceRole = Qt::UserRole;
inline constexpr int kPreviewRole = Qt::UserRole + 1;
// The scan class the launcher found for the row's source, once it has.
inline constexpr int kScanClassRole = Qt::UserRole + 2;

class QCloseEvent;
class QContextMenuEvent;
class QDragEnterEvent;
class QDropEvent;
class QFrame;
class QLineEdit;
class QMenu;
class QModelIndex;
struct ConvertJob;
struct MediaInfo;
struct PresetCatalogue;

// The main window: the title list with a check box per title, the device
// category and preset, the output and snapshot folders, the preview pane and
// the toolbar commands "Disc", "Folder", "Clear" and "Convert". It owns the
// preset catalogue, the settings object (g_pOptions) and the one loading
// dialog, and saves the settings when it goes away.
class CVelkoDVDRipperDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int IDD = IDD_VELKODVDRIPPER_DIALOG;

    explicit CVelkoDVDRipperDlg(QWidget *pParent = nullptr);
    ~CVelkoDVDRipperDlg() override;

    // Runs the window until it is closed: IDCANCEL.
    int DoModal();

    // The overwrite question of a conversion, asked for the engine of the
    // conversion dialog pData: 1 to replace the existing target, else 0.
    // Called on the engine's worker thread; the question is put to the user
    // on the GUI thread while the worker waits.
    static qint32 ConfirmOverwrite(qint32 nEvent, void *pData);

    // Enter and Esc leave the window open.
    void accept() override;
    void reject() override;
    // Every way out saves the settings while the window is still there.
    void done(int nResult) override;

    CTextToolBar m_wndToolBar;
    QIcon m_hIcon;
    CLoadingDlg *m_pLoadingDlg = nullptr;
    QString m_strOutputFolder;
    QTableWidget m_listTitles;
    PresetCatalogue *m_pPresets = nullptr;
    QString m_strPresetArgs;
    QComboBox m_comboCategory;
    QComboBox m_comboPreset;
    QString m_strSnapshotFolder;
    PrevkitHandle m_hPlayer = nullptr;

protected:
    bool OnInitDialog();
    void DoDataExchange(bool bSave);
    void UpdateData(bool bSave) { DoDataExchange(bSave); }
    void closeEvent(QCloseEvent *pEvent) override;
    void contextMenuEvent(QContextMenuEvent *pEvent) override;
    // A folder, a disc's mount point or an ISO image dropped on the window
    // loads as the Folder command loads a folder.
    void dragEnterEvent(QDragEnterEvent *pEvent) override;
    void dropEvent(QDropEvent *pEvent) override;

    // Start-up, window and selection.
    void OnSysCommand(int nID);
    void OnCategoryChanged();
    void OnPresetChanged();
    void OnClose();
    void OnDestroy();

    // Source list and folders.
    void OnAddFromDisc();
    void OnAddFromFolder();
    void OnClear();
    void OnTitleClick(const QModelIndex &index);
    void OnBrowseOutputFolder();
    void OnBrowseSnapshotFolder();
    void OnOpenOutputFolder();
    bool ConfirmSingleSource();
    void AppendTitleRows();
    // One row per title, paired by position with its media information; a
    // shorter information list ends the rows.
    void AppendTitleRows(const QList<ConvertJob *> &titles, const QList<MediaInfo> &infos);

    // Conversion.
    void OnConvert();

    // DVD titles: the title view and the sources that load into it.
    void OnListTitles(bool bChecked);
    // Loads a chosen source: its title files (the file list), or its DVD
    // titles when the title view is on or the source is an image.
    void LoadSource(const QString &strSource);
    // One row per DVD title of strSource, the main title ticked; a source whose
    // tables cannot be read is reported.
    void LoadTitleRows(const std::shared_ptr<const CDiscTitles> &pTitles);
    void OnDropSource(const QString &strPath);
    // Whether a dropped path can be loaded: a folder or an ISO image.
    static bool IsDroppableSource(const QString &strPath);
    // The source the listed rows came from; empty when nothing is loaded.
    QString m_strSource;
    // The DVD titles the title view lists; null while it lists none.
    std::shared_ptr<const CDiscTitles> m_pDiscTitles;
    // "Tracks...": the audio tracks and subtitles of the title in row nRow,
    // chosen in the Tracks dialog and kept in the row's job source.
    void OnTitleTracks(int nRow);

    // Picture: the context menu's settings, and the scan class of each row
    // ("interlaced", ...) added to its format as the launcher finds it.
    void CreatePictureActions();
    void AddPictureMenu(QMenu &menu);
    void OnDeinterlaceMode(int nMode);
    void OnCropBars(bool bChecked);
    // Asks for the class of every row that has none yet, ticked rows first.
    void StartPictureAnalysis();
    void OnPictureAnswer(const QString &strSource, const QString &strClass);
    PictureQuery m_pictureQuery;

private:
    void CreateControls();
    bool LayoutWithToolBar();
    void CreatePreviewPlayer();
    void OnToolBarCommand(int nId);
    // The folder browser of both "..." buttons; an empty string when cancelled.
    QString BrowseForFolder();
    void DeleteAllTitleRows();

    QLineEdit *m_pEditOutput = nullptr;
    QLineEdit *m_pEditSnapshot = nullptr;
    QFrame *m_pPreviewFrame = nullptr;
    bool m_bInitDone = false;
    bool m_bDestroyed = false;
};
