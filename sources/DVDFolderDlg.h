#pragma once

#include "Resource.h"

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

// "Select DVD Folder": the user browses with the folder picker for a folder
// holding a DVD's title files (a VIDEO_TS folder or any folder above it). The
// chosen folder is shown read-only; OK is enabled only while that folder holds
// at least one title.
//
// Set m_strFolder (the folder the first "Browse..." starts in), DoModal, and
// after IDOK read GetFolder().
class CSelectDVDDirDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int IDD = IDD_SELECT_DVD_FOLDER;
    static constexpr int IDC_BROWSE = IDC_SELECT_BROWSE;
    static constexpr int IDC_FOLDER = IDC_SELECT_FOLDER;

    explicit CSelectDVDDirDlg(QWidget *pParent = nullptr);
    ~CSelectDVDDirDlg() override;

    // IDOK or IDCANCEL.
    int DoModal();
    // Cancel, Esc and the close box end the dialog with IDCANCEL.
    void reject() override;
    QString GetFolder() const { return m_strFolder; }

    // In: where the first browse starts. Out: the chosen folder, or empty
    // after a browse that found no title.
    QString m_strFolder;

protected:
    bool OnInitDialog();
    void DoDataExchange(bool bSave);
    void OnBrowse();

    QLineEdit *m_editFolder = nullptr;
    QPushButton *m_btnOK = nullptr;
};
