// The commands that fill and empty the title list, preview a title and pick
// the output and snapshot folders.
#include "VelkoDVDRipperDlg.h"

#include "AppTexts.h"
#include "ControlId.h"
#include "ConvertJob.h"
#include "ConverterMissing.h"
#include "DVDDiscDlg.h"
#include "DVDFolderDlg.h"
#include "DiscDrives.h"
#include "LoadingDlg.h"
#include "MediaInfo.h"
#include "Options.h"
#include "TitleFile.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

bool CVelkoDVDRipperDlg::ConfirmSingleSource()
{
    if (m_listTitles.rowCount() == 0)
        return true;
    const int nAnswer = QMessageBox::warning(
        this, kAppCaption,
        tr("You can add only one media source!\nIf you continue, the previously added will be "
           "removed.\nAre you sure that you want to continue?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (nAnswer != QMessageBox::Yes)
        return false;
    prevkit_reset(m_hPlayer);
    DeleteAllTitleRows();
    if (m_pLoadingDlg)
        m_pLoadingDlg->ClearResults();
    m_strSource.clear();
    return true;
}

void CVelkoDVDRipperDlg::OnAddFromFolder()
{
    if (!g_pOptions || !m_pLoadingDlg || !ConfirmSingleSource())
        return;
    CSelectDVDDirDlg dlgFolder(this);
    dlgFolder.m_strFolder = g_pOptions->m_strInitDirectory;
    if (dlgFolder.DoModal() != IDOK)
        return;
    const QString strFolder = dlgFolder.GetFolder();
    g_pOptions->m_strInitDirectory = strFolder;
    LoadSource(strFolder);
}

void CVelkoDVDRipperDlg::OnAddFromDisc()
{
    if (!m_pLoadingDlg || !ConfirmSingleSource())
        return;
    QStringList names;
    QStringList roots;
    FindDiscDrives(names, roots);

    CSelectDVDDiscDlg dlgDisc(this);
    dlgDisc.m_pDiscNames = &names;
    dlgDisc.m_pDiscRoots = &roots;
    if (dlgDisc.DoModal() != IDOK)
        return;
    if (dlgDisc.m_nSelected < 0 || dlgDisc.m_nSelected >= roots.size())
        return;

    LoadSource(roots[dlgDisc.m_nSelected]);
}

void CVelkoDVDRipperDlg::LoadSource(const QString &strSource)
{
    if (!m_pLoadingDlg)
        return;
    m_strSource = strSource;
    if ((g_pOptions && g_pOptions->m_bListTitles) || !QFileInfo(strSource).isDir()) {
        // The tables are read off the GUI thread, and the user may give up.
        m_pLoadingDlg->SetTitleSource(strSource);
        if (m_pLoadingDlg->DoModal() == IDOK && m_pLoadingDlg->m_pDiscTitles)
            LoadTitleRows(m_pLoadingDlg->m_pDiscTitles);
        else
            m_strSource.clear();
        return;
    }
    m_pLoadingDlg->SetSource(kTitleExtension, strSource);
    if (m_pLoadingDlg->DoModal() == IDOK)
        AppendTitleRows();
    if (m_pLoadingDlg->ConverterMissing())
        ShowConverterMissing(this);
}

void CVelkoDVDRipperDlg::AppendTitleRows()
{
    if (m_pLoadingDlg)
        AppendTitleRows(m_pLoadingDlg->m_titles, m_pLoadingDlg->m_titleInfos);
}

void CVelkoDVDRipperDlg::AppendTitleRows(const QList<ConvertJob *> &titles,
                                         const QList<MediaInfo> &infos)
{
    for (qsizetype i = 0; i < titles.size() && i < infos.size(); ++i) {
        if (!titles[i])
            continue;
        const int nRow = m_listTitles.rowCount();
        m_listTitles.insertRow(nRow);
        auto *pName = new QTableWidgetItem(titles[i]->source);
        pName->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        pName->setCheckState(Qt::Unchecked);
        pName->setToolTip(titles[i]->source);
        m_listTitles.setItem(nRow, 0, pName);
        for (int nColumn : {1, 2}) {
            auto *pItem =
                new QTableWidgetItem(nColumn == 1 ? infos[i].durationText : infos[i].formatText);
            pItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            m_listTitles.setItem(nRow, nColumn, pItem);
        }
    }
    StartPictureAnalysis();
}

void CVelkoDVDRipperDlg::DeleteAllTitleRows()
{
    m_pictureQuery.stop();
    m_listTitles.setRowCount(0);
    m_pDiscTitles.reset();
}

void CVelkoDVDRipperDlg::OnClear()
{
    if (m_listTitles.rowCount() == 0)
        return;
    prevkit_reset(m_hPlayer);
    DeleteAllTitleRows();
    if (m_pLoadingDlg)
        m_pLoadingDlg->ClearResults();
    m_strSource.clear();
}

void CVelkoDVDRipperDlg::OnTitleClick(const QModelIndex &index)
{
    // A click below the last row hits no title and changes nothing.
    if (!index.isValid())
        return;
    const int nRow = index.row();
    m_listTitles.selectRow(nRow);
    if (const QTableWidgetItem *pName = m_listTitles.item(nRow, 0)) {
        // A DVD title's row names what to play beside its text.
        const QVariant preview = pName->data(kPreviewRole);
        prevkit_setFile(m_hPlayer, preview.isValid() ? preview.toString() : pName->text());
    }
}

QString CVelkoDVDRipperDlg::BrowseForFolder()
{
    return QFileDialog::getExistingDirectory(this, tr("Select a folder"), QString(),
                                             QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly);
}

void CVelkoDVDRipperDlg::OnBrowseOutputFolder()
{
    UpdateData(true);
    const QString strFolder = BrowseForFolder();
    if (!strFolder.isEmpty())
        m_strOutputFolder = strFolder;
    UpdateData(false);
}

void CVelkoDVDRipperDlg::OnBrowseSnapshotFolder()
{
    UpdateData(true);
    const QString strFolder = BrowseForFolder();
    if (!strFolder.isEmpty()) {
        m_strSnapshotFolder = strFolder;
        prevkit_setSnapshotFolder(m_hPlayer, m_strSnapshotFolder);
    }
    UpdateData(false);
}

void CVelkoDVDRipperDlg::OnOpenOutputFolder()
{
    UpdateData(true);
    if (!m_strOutputFolder.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_strOutputFolder));
}
