// The "Convert" command: checks, one job per ticked title, the conversion
// dialog, and the question asked before an existing file is replaced.
#include "VelkoDVDRipperDlg.h"

#include "AppTexts.h"
#include "ControlId.h"
#include "ConvertDlg.h"
#include "ConverterMissing.h"
#include "DiscDrives.h"
#include "PictureOptions.h"
#include "PresetCatalogue.h"

#include <QFileInfo>
#include <QMessageBox>

namespace
{
void ShowMessage(QWidget *pOwner, const QString &strText)
{
    QMessageBox box(QMessageBox::NoIcon, kAppCaption, strText, QMessageBox::Ok, pOwner);
    box.exec();
}

} // namespace

void CVelkoDVDRipperDlg::OnConvert()
{
    if (m_listTitles.rowCount() == 0 || !m_pPresets)
        return;
    UpdateData(true);

    const QFileInfo output(m_strOutputFolder);
    if (m_strOutputFolder.isEmpty() || !output.isDir() || IsOnOpticalDrive(m_strOutputFolder)) {
        ShowMessage(this, tr("Destination folder is invalid."));
        return;
    }

    CConvertDlg dlgConvert(this);
    bool bTicked = false;
    for (int i = 0; i < m_listTitles.rowCount(); ++i) {
        const QTableWidgetItem *pName = m_listTitles.item(i, 0);
        if (pName && pName->checkState() == Qt::Checked) {
            // The length the list shows lets the dialog tell the run's time
            // left before each title's own probe.
            const QTableWidgetItem *pLength = m_listTitles.item(i, 1);
            const qint32 nListed = pLength ? ConvertEng::parseClock(pLength->text().toLatin1()) : 0;
            // A DVD title's row carries its job source beside its text.
            const QVariant source = pName->data(kJobSourceRole);
            dlgConvert.m_engine.addJob(source.isValid() ? source.toString() : pName->text(),
                                       nListed);
            bTicked = true;
        }
    }
    if (!bTicked) {
        ShowMessage(this, tr("No items were selected!\n"));
        return;
    }

    dlgConvert.m_engine.m_arguments = m_strPresetArgs;
    dlgConvert.m_engine.m_extension =
        m_pPresets->PresetExtension(m_comboCategory.currentIndex(), m_comboPreset.currentIndex());
    dlgConvert.m_engine.m_callback = &CVelkoDVDRipperDlg::ConfirmOverwrite;
    dlgConvert.m_engine.m_callbackData = &dlgConvert;
    dlgConvert.m_engine.m_outputFolder = m_strOutputFolder;
    CPictureOptions picture;
    picture.Load();
    dlgConvert.m_engine.m_environment = picture.ConverterEnvironment();
    // The conversion analyses what it needs itself; the rows still without a
    // class are asked for again afterwards.
    m_pictureQuery.stop();
    dlgConvert.DoModal();
    StartPictureAnalysis();
    // A run in which titles failed does not end as if all went well; when
    // ffmpeg is missing, that one message says all there is to say.
    if (dlgConvert.m_engine.m_converterMissing)
        ShowConverterMissing(this);
    else
        dlgConvert.ReportFailures(this);
}

qint32 CVelkoDVDRipperDlg::ConfirmOverwrite(qint32 nEvent, void *pData)
{
    if (!pData || nEvent != EventTargetExists)
        return 0;
    auto *pDlg = static_cast<CConvertDlg *>(pData);
    ConvertJob job;
    pDlg->m_engine.getCurrentJob(job);
    const QString strText =
        QStringLiteral("'") + job.target + tr("' already exists.\nDo you want to replace it?");
    return pDlg->AskYesNo(strText) ? 1 : 0;
}
