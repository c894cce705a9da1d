#include "DVDFolderDlg.h"

#include "ControlId.h"
#include "DialogUnits.h"
#include "HasTitles.h"
#include "TitleFile.h"
#include "XFolderDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CSelectDVDDirDlg::CSelectDVDDirDlg(QWidget *pParent) : QDialog(pParent)
{
    setWindowTitle(tr("Select DVD Folder"));
    SetCtrlId(this, IDD);

    const CDialogUnits units(font());
    setFixedSize(units.ToPixels(QSize(315, 66)));

    // Created in tab order.
    auto *pOk = new QPushButton(tr("OK"), this);
    SetCtrlId(pOk, IDOK);
    pOk->setGeometry(units.ToPixels(QRect(258, 45, 50, 14)));
    pOk->setDefault(true);
    pOk->setEnabled(false);

    auto *pCancel = new QPushButton(tr("Cancel"), this);
    SetCtrlId(pCancel, IDCANCEL);
    pCancel->setGeometry(units.ToPixels(QRect(201, 45, 50, 14)));

    auto *pBrowse = new QPushButton(tr("Browse..."), this);
    SetCtrlId(pBrowse, IDC_BROWSE);
    pBrowse->setGeometry(units.ToPixels(QRect(258, 20, 50, 14)));

    auto *pEdit = new QLineEdit(this);
    SetCtrlId(pEdit, IDC_FOLDER);
    pEdit->setGeometry(units.ToPixels(QRect(7, 20, 245, 14)));
    pEdit->setReadOnly(true);

    // Shown as one "&": the label has no mnemonic.
    auto *pLabel = new QLabel(tr("Browse & select the DVD folder path:"), this);
    pLabel->setTextFormat(Qt::PlainText);
    pLabel->setGeometry(units.ToPixels(QRect(7, 7, 106, 8)));
    // The template's width fits the font it was drawn for; never cut the text.
    pLabel->resize(pLabel->size().expandedTo(pLabel->sizeHint()));

    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(pBrowse, &QPushButton::clicked, this, &CSelectDVDDirDlg::OnBrowse);
}

CSelectDVDDirDlg::~CSelectDVDDirDlg() = default;

void CSelectDVDDirDlg::DoDataExchange(bool bSave)
{
    if (!bSave) {
        m_editFolder = FindCtrl<QLineEdit>(this, IDC_FOLDER);
        m_btnOK = FindCtrl<QPushButton>(this, IDOK);
    }
}

int CSelectDVDDirDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

void CSelectDVDDirDlg::reject()
{
    done(IDCANCEL);
}

bool CSelectDVDDirDlg::OnInitDialog()
{
    DoDataExchange(false);
    return true;
}

void CSelectDVDDirDlg::OnBrowse()
{
    const QString strStart = m_editFolder->text().isEmpty() ? m_strFolder : m_editFolder->text();

    CXFolderDialog dlg(strStart, this);
    dlg.m_nViewMode = 0;
    dlg.m_bPersistViewMode = true;
    dlg.m_bTrackViewMode = true;
    if (dlg.DoModal() != IDOK)
        return;

    m_editFolder->setText(dlg.GetPath());
    if (HasTitlesWhileWaiting(kTitleExtension, m_editFolder->text())) {
        m_btnOK->setEnabled(true);
        m_strFolder = m_editFolder->text();
    } else {
        // No message: the folder stays in view, so the next browse starts there.
        m_btnOK->setEnabled(false);
        m_strFolder.clear();
    }
}
