#include "DVDDiscDlg.h"

#include "ControlId.h"
#include "DialogUnits.h"
#include "HasTitles.h"
#include "TitleFile.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

CSelectDVDDiscDlg::CSelectDVDDiscDlg(QWidget *pParent) : QDialog(pParent)
{
    setWindowTitle(tr("Select DVD disc"));
    SetCtrlId(this, IDD);

    const CDialogUnits units(font());
    setFixedSize(units.ToPixels(QSize(288, 65)));

    // Created in tab order.
    auto *pOk = new QPushButton(tr("OK"), this);
    SetCtrlId(pOk, IDOK);
    pOk->setGeometry(units.ToPixels(QRect(231, 44, 50, 14)));
    pOk->setDefault(true);

    auto *pCancel = new QPushButton(tr("Cancel"), this);
    SetCtrlId(pCancel, IDCANCEL);
    pCancel->setGeometry(units.ToPixels(QRect(179, 44, 50, 14)));

    auto *pLabel = new QLabel(tr("Select the Source DVD disc:"), this);
    pLabel->setGeometry(units.ToPixels(QRect(11, 7, 89, 8)));
    // The template's width fits the font it was drawn for; never cut the text.
    pLabel->resize(pLabel->size().expandedTo(pLabel->sizeHint()));

    // A drop-down list without an edit field, in the order it is filled.
    auto *pCombo = new QComboBox(this);
    SetCtrlId(pCombo, IDC_DISC);
    pCombo->setEditable(false);
    pCombo->setInsertPolicy(QComboBox::InsertAtBottom);
    // The resource height includes the drop-down list; the closed box is one
    // edit line high.
    pCombo->setGeometry(units.ToPixels(QRect(7, 26, 274, 14)));
    setTabOrder(pLabel, pCombo);

    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(pCombo, &QComboBox::activated, this, &CSelectDVDDiscDlg::OnSelChangeDisc);
}

CSelectDVDDiscDlg::~CSelectDVDDiscDlg() = default;

void CSelectDVDDiscDlg::DoDataExchange(bool bSave)
{
    if (!bSave) {
        m_comboDisc = FindCtrl<QComboBox>(this, IDC_DISC);
        m_btnOK = FindCtrl<QPushButton>(this, IDOK);
    }
}

int CSelectDVDDiscDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

void CSelectDVDDiscDlg::reject()
{
    done(IDCANCEL);
}

bool CSelectDVDDiscDlg::OnInitDialog()
{
    DoDataExchange(false);
    m_comboDisc->clear(); // a second run starts from the lists again
    if (!m_pDiscNames || m_pDiscNames->isEmpty()) {
        // No drive holds a readable disc: only Cancel is left.
        m_btnOK->setEnabled(false);
        return true;
    }
    m_comboDisc->addItems(*m_pDiscNames);
    m_comboDisc->setCurrentIndex(0);
    OnSelChangeDisc();
    m_nSelected = 0;
    return true;
}

void CSelectDVDDiscDlg::OnSelChangeDisc()
{
    m_nSelected = m_comboDisc->currentIndex();
    const bool valid = m_pDiscRoots && m_nSelected >= 0 && m_nSelected < m_pDiscRoots->size();
    m_btnOK->setEnabled(valid &&
                        HasTitlesWhileWaiting(kTitleExtension, m_pDiscRoots->at(m_nSelected)));
}
