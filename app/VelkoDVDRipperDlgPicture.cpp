// The picture settings of the context menu, and the scan class of each row.
#include "VelkoDVDRipperDlg.h"

#include "ControlId.h"
#include "PictureOptions.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace
{
constexpr int kFormatColumn = 2;

struct DeinterlaceItem {
    int nId;
    int nMode;
    const char *pszText;
};
const DeinterlaceItem kDeinterlaceItems[] = {
    {IDM_DEINTERLACE_AUTO, CPictureOptions::DeinterlaceAutomatic, "Deinterlace when needed"},
    {IDM_DEINTERLACE_ALWAYS, CPictureOptions::DeinterlaceAlways, "Always deinterlace"},
    {IDM_DEINTERLACE_NEVER, CPictureOptions::DeinterlaceNever, "Never deinterlace"},
};

// The job source a row converts: a DVD title's, or the title file it names.
QString RowSource(const QTableWidgetItem &name)
{
    const QVariant source = name.data(kJobSourceRole);
    return source.isValid() ? source.toString() : name.text();
}
} // namespace

void CVelkoDVDRipperDlg::CreatePictureActions()
{
    CPictureOptions options;
    options.Load();
    auto *pGroup = new QActionGroup(this);
    for (const DeinterlaceItem &item : kDeinterlaceItems) {
        auto *pAction = new QAction(tr(item.pszText), pGroup);
        SetCtrlId(pAction, item.nId);
        pAction->setCheckable(true);
        pAction->setChecked(options.m_nDeinterlace == item.nMode);
        connect(pAction, &QAction::triggered, this,
                [this, nMode = item.nMode] { OnDeinterlaceMode(nMode); });
    }
    auto *pCrop = new QAction(tr("Crop black bars"), this);
    SetCtrlId(pCrop, IDM_CROPBARS);
    pCrop->setCheckable(true);
    pCrop->setChecked(options.m_bCropBars);
    connect(pCrop, &QAction::toggled, this, &CVelkoDVDRipperDlg::OnCropBars);
    connect(&m_pictureQuery, &PictureQuery::answered, this,
            [this](const QString &strSource, const QString &strClass) {
                OnPictureAnswer(strSource, strClass);
            });
}

void CVelkoDVDRipperDlg::AddPictureMenu(QMenu &menu)
{
    QMenu *pPicture = menu.addMenu(tr("Picture"));
    for (const DeinterlaceItem &item : kDeinterlaceItems) {
        if (auto *pAction = FindCtrl<QAction>(this, item.nId))
            pPicture->addAction(pAction);
    }
    pPicture->addSeparator();
    if (auto *pCrop = FindCtrl<QAction>(this, IDM_CROPBARS))
        pPicture->addAction(pCrop);
}

void CVelkoDVDRipperDlg::OnDeinterlaceMode(int nMode)
{
    CPictureOptions options;
    options.Load();
    options.m_nDeinterlace = nMode;
    options.Save();
}

void CVelkoDVDRipperDlg::OnCropBars(bool bChecked)
{
    CPictureOptions options;
    options.Load();
    options.m_bCropBars = bChecked;
    options.Save();
}

void CVelkoDVDRipperDlg::StartPictureAnalysis()
{
    QStringList ticked;
    QStringList others;
    for (int i = 0; i < m_listTitles.rowCount(); ++i) {
        const QTableWidgetItem *pName = m_listTitles.item(i, 0);
        // A title that cannot be read has nothing to tick nor to analyse.
        if (!pName || pName->data(kScanClassRole).isValid() ||
            !(pName->flags() & Qt::ItemIsUserCheckable))
            continue;
        (pName->checkState() == Qt::Checked ? ticked : others) << RowSource(*pName);
    }
    m_pictureQuery.start(ticked + others, false);
}

void CVelkoDVDRipperDlg::OnPictureAnswer(const QString &strSource, const QString &strClass)
{
    for (int i = 0; i < m_listTitles.rowCount(); ++i) {
        QTableWidgetItem *pName = m_listTitles.item(i, 0);
        if (!pName || pName->data(kScanClassRole).isValid())
            continue;
        if (RowSource(*pName) != strSource)
            continue;
        pName->setData(kScanClassRole, strClass);
        QTableWidgetItem *pFormat = m_listTitles.item(i, kFormatColumn);
        if (pFormat && strClass != QStringLiteral("unknown"))
            pFormat->setText(pFormat->text() + QStringLiteral(", ") + strClass);
    }
}
