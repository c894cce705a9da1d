#pragma once

#include "HistoryCombo.h"
#include "Resource.h"

#include <QFileDialog>
#include <QString>

class QAbstractItemView;
class QFileSystemModel;
class QLabel;
class QPushButton;

// A folder picker on Qt's own (non-native) file dialog. It lists folders only
// and replaces the file-name and file-type rows by a "Folder name:" history
// combo (the folders chosen before, most recent first) with its own OK button.
// The combo follows the folder shown and the folder selected; typing a folder
// and leaving the field goes there. OK accepts the selected, shown or typed
// folder once it is known to exist.
//
// Controls: 1001 the "Folder &name:" label, 1002 the combo, IDOK its OK
// button, IDCANCEL the dialog's Cancel button. The history lives in profile
// section "FolderHistory"; with m_bPersistViewMode and m_bTrackViewMode the
// view (list or details) is remembered under "XFolderDialog"/"ViewMode".
class CXFolderDialog : public QFileDialog
{
    Q_OBJECT

public:
    // View commands: the values stored under "ViewMode".
    static constexpr int kViewList = 28753;
    static constexpr int kViewDetails = 28747;
    // The details command of older shells, which a profile may still hold.
    static constexpr int kViewDetailsOld = 28716;

    static constexpr int IDC_FOLDER_LABEL = IDC_XFOLDER_LABEL;
    static constexpr int IDC_FOLDER_HISTORY = IDC_XFOLDER_HISTORY;

    explicit CXFolderDialog(const QString &strInitialFolder = QString(),
                            QWidget *pParent = nullptr);
    ~CXFolderDialog() override;

    // Runs the dialog: IDOK when a folder was accepted, else IDCANCEL.
    int DoModal();
    // The accepted folder: as selected, shown or typed (a typed relative path
    // or "~" is taken from the folder shown or the home folder).
    QString GetPath() const { return m_strPath; }

    // Settings the caller may change before DoModal.
    int m_nViewMode = 0; // view command to show; 0 = list, or the remembered one
    bool m_bPersistViewMode = false;
    bool m_bTrackViewMode = false;
    QString m_strTitle; // empty: "Select Folder"

    // OK, Enter and every other way of accepting go through OnOK.
    void accept() override;
    void done(int nResult) override;
    void setVisible(bool bVisible) override;

protected:
    void OnInitDialog();
    // The combo's edit text and m_strPath.
    void DoDataExchange(bool bSave);
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override;

private:
    void OnOK();
    void OnSelChange();
    void OnFolderChange(const QString &strFolder);
    void OnSelEndOkFolderHistory(int nIndex);
    void OnKillFocusFolderHistory();

    void ReplaceFileNameRow();
    bool NavigateTo(const QString &strText);
    void SetViewMode(int nCommand);
    int RecordViewMode() const;
    QString GetFilePath() const;
    QString ResolvePath(const QString &strText) const;
    void ShowMessage(const QString &strText);

    CHistoryCombo m_cboFolderHistory;
    QLabel *m_pFolderLabel = nullptr;
    QPushButton *m_pOkButton = nullptr;
    QAbstractItemView *m_pListView = nullptr;
    QFileSystemModel *m_pModel = nullptr;

    QString m_strInitialFolder;
    QString m_strPath;
    int m_nShellViewMode = 0; // view the user left the dialog in; 0 until it closed
    bool m_bFirstFolderChange = true;
    bool m_bInitDone = false;
    bool m_bTypedPath =
        false; // the combo holds text typed since the last folder or selection change
};
