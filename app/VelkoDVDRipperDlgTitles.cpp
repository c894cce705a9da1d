// The title view: a DVD's titles from its tables, one row each, and the
// sources dropped on the window.
#include "VelkoDVDRipperDlg.h"

#include "AppTexts.h"
#include "AudioLanguage.h"
#include "Disc.h"
#include "DiscTitles.h"
#include "HasTitles.h"
#include "LoadingDlg.h"
#include "Options.h"
#include "Scrambling.h"
#include "TitleFile.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>

namespace
{
void ShowTitlesMessage(QWidget *pOwner, const QString &strText)
{
    QMessageBox box(QMessageBox::Warning, kAppCaption, strText, QMessageBox::Ok, pOwner);
    box.exec();
}

QTableWidgetItem *ReadOnlyItem(const QString &strText)
{
    auto *pItem = new QTableWidgetItem(strText);
    pItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return pItem;
}
} // namespace

void CVelkoDVDRipperDlg::OnListTitles(bool bChecked)
{
    if (!g_pOptions)
        return;
    g_pOptions->m_bListTitles = bChecked;
    // The listed source is shown again the other way.
    const QString strSource = m_strSource;
    if (strSource.isEmpty())
        return;
    prevkit_reset(m_hPlayer);
    DeleteAllTitleRows();
    if (m_pLoadingDlg)
        m_pLoadingDlg->ClearResults();
    LoadSource(strSource);
}

void CVelkoDVDRipperDlg::LoadTitleRows(const std::shared_ptr<const CDiscTitles> &pTitles)
{
    const CDiscTitles &titles = *pTitles;
    const QString strSource = titles.Source();
    if (!titles.IsOpen()) {
        ShowTitlesMessage(
            this,
            tr("The DVD titles of '%1' cannot be listed.\n%2").arg(strSource, titles.Error()));
        return;
    }
    m_pDiscTitles = pTitles;
    // The default tracks are looked for in the preferred language.
    titles::TrackChoice choice;
    choice.language = PreferredAudioLanguage().toStdString();
    const int nMain = titles.MainTitle();
    const auto &list = titles.Titles();
    for (int i = 0; i < int(list.size()); ++i) {
        const dvd::Title &title = list[i];
        const int nRow = m_listTitles.rowCount();
        m_listTitles.insertRow(nRow);
        auto *pName = new QTableWidgetItem(titles.RowText(title, choice));
        if (!title.unreadable.empty()) {
            // Listed with its reason, but nothing to tick, convert or play.
            pName->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            pName->setToolTip(tr("Title %1 of %2 cannot be read: %3")
                                  .arg(title.number)
                                  .arg(strSource, QString::fromStdString(title.unreadable)));
            m_listTitles.setItem(nRow, 0, pName);
            m_listTitles.setItem(nRow, 1, ReadOnlyItem(QString()));
            m_listTitles.setItem(nRow, 2, ReadOnlyItem(QString()));
            continue;
        }
        pName->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        pName->setCheckState(i == nMain ? Qt::Checked : Qt::Unchecked);
        QString strTip = tr("Title %1 of %2").arg(title.number).arg(strSource);
        // An uncertain choice of the film says so on its row.
        if (i == nMain && !titles.MainTitleNote().isEmpty())
            strTip += u'\n' + titles.MainTitleNote();
        pName->setToolTip(strTip);
        pName->setData(kJobSourceRole, titles.JobSource(title, choice));
        // The preview plays the whole title, read as the converter reads it.
        pName->setData(kPreviewRole, titles.JobSource(title, choice));
        m_listTitles.setItem(nRow, 0, pName);
        m_listTitles.setItem(nRow, 1, ReadOnlyItem(TitleDurationText(title.durationMs)));
        m_listTitles.setItem(nRow, 2, ReadOnlyItem(TitleFormatText(title.video)));
    }
    StartPictureAnalysis();

    std::vector<std::string> files;
    for (const QString &strFile : titles.PieceFiles())
        files.push_back(QFile::encodeName(strFile).toStdString());
    const dvd::ScrambleReport report = dvd::checkTitleFiles(files);
    if (report.needsDecryption())
        ShowTitlesMessage(this, QString::fromStdString(dvd::encryptedDiscMessage()));
}

bool CVelkoDVDRipperDlg::IsDroppableSource(const QString &strPath)
{
    const QFileInfo info(strPath);
    if (info.isDir())
        return true;
    return info.isFile() && info.suffix().compare(QStringLiteral("iso"), Qt::CaseInsensitive) == 0;
}

void CVelkoDVDRipperDlg::dragEnterEvent(QDragEnterEvent *pEvent)
{
    const QList<QUrl> urls = pEvent->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile() &&
        IsDroppableSource(urls.front().toLocalFile()))
        pEvent->acceptProposedAction();
}

void CVelkoDVDRipperDlg::dropEvent(QDropEvent *pEvent)
{
    const QList<QUrl> urls = pEvent->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return;
    pEvent->acceptProposedAction();
    OnDropSource(urls.front().toLocalFile());
}

void CVelkoDVDRipperDlg::OnDropSource(const QString &strPath)
{
    if (!g_pOptions || !IsDroppableSource(strPath) || !ConfirmSingleSource())
        return;
    const QFileInfo info(strPath);
    const QString strSource = info.absoluteFilePath();
    if (info.isDir()) {
        // As the Folder command: a folder without titles is not loaded.
        if (!g_pOptions->m_bListTitles && !HasTitlesWhileWaiting(kTitleExtension, strSource)) {
            ShowTitlesMessage(this, tr("No DVD titles were found in '%1'.").arg(strSource));
            return;
        }
        g_pOptions->m_strInitDirectory = strSource;
    }
    LoadSource(strSource);
}
