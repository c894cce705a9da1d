#pragma once

#include "Resource.h"

#include <QDialog>
#include <QStringList>

class QComboBox;
class QPushButton;

// "Select DVD disc": the user picks one of the optical drives that hold a
// readable disc. The caller hands over two parallel lists, the drives' display
// names and their roots (mount points), e.g. from FindDiscDrives(). OK is
// enabled only while the selected disc holds at least one DVD title. After IDOK
// m_nSelected is the index of the chosen drive in both lists.
class CSelectDVDDiscDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int IDD = IDD_SELECT_DVD_DISC;
    static constexpr int IDC_DISC = IDC_SELECT_DISC;

    explicit CSelectDVDDiscDlg(QWidget *pParent = nullptr);
    ~CSelectDVDDiscDlg() override;

    // IDOK or IDCANCEL.
    int DoModal();
    // Cancel, Esc and the close box end the dialog with IDCANCEL.
    void reject() override;

    // Set before DoModal; owned by the caller, only read here.
    const QStringList *m_pDiscNames = nullptr;
    const QStringList *m_pDiscRoots = nullptr;
    // Out: the chosen drive's index in both lists.
    int m_nSelected = 0;

protected:
    bool OnInitDialog();
    void DoDataExchange(bool bSave);
    void OnSelChangeDisc();

    QComboBox *m_comboDisc = nullptr;
    QPushButton *m_btnOK = nullptr;
};
