#include "AboutDlg.h"

#include "AppTexts.h"
#include "ControlId.h"
#include "DialogUnits.h"
#include "ResIcons.h"
#include "Resource.h"

#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget *pParent) : QDialog(pParent)
{
    SetCtrlId(this, IDD);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("About VelkoDVDRipper"));

    const CDialogUnits units(font());
    QSize size = units.ToPixels(QSize(170, 62));

    auto *pIcon = new QLabel(this);
    pIcon->setPixmap(LoadIconPixmap(IDR_MAINFRAME, 32));
    const QPoint ptIcon = units.ToPixels(QRect(14, 14, 0, 0)).topLeft();
    pIcon->setGeometry(QRect(ptIcon, QSize(32, 32)));

    // Wide enough for the text it gets when the box opens: never cut.
    auto *pVersion = new QLabel(tr("VelkoDVDRipper, Version 1.0"), this);
    SetCtrlId(pVersion, IDC_ABOUT_VERSION);
    pVersion->setTextFormat(Qt::PlainText);
    QRect rcVersion = units.ToPixels(QRect(42, 14, 114, 8));
    const int nTextWidth = pVersion->fontMetrics().horizontalAdvance(
                               kAppCaption + QStringLiteral(", version ") + kAppVersion) +
                           4;
    rcVersion.setWidth(qMax(rcVersion.width(), nTextWidth));
    pVersion->setGeometry(rcVersion);

    auto *pOk = new QPushButton(tr("OK"), this);
    SetCtrlId(pOk, IDOK);
    pOk->setDefault(true);
    QRect rcOk = units.ToPixels(QRect(113, 41, 50, 14));
    // The button keeps its distance to the right edge when the text widened
    // the box.
    const int nGrow = qMax(0, rcVersion.right() + units.ToPixelsX(14) - size.width());
    size.rwidth() += nGrow;
    rcOk.translate(nGrow, 0);
    pOk->setGeometry(rcOk);
    setFixedSize(size);

    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;

int CAboutDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

bool CAboutDlg::OnInitDialog()
{
    if (auto *pVersion = FindCtrl<QLabel>(this, IDC_ABOUT_VERSION))
        pVersion->setText(QStringLiteral("%1, version %2").arg(kAppCaption, kAppVersion));
    return true;
}
