#include "ConvertDlg.h"

#include "AppTexts.h"
#include "ControlId.h"
#include "DialogUnits.h"
#include "Resource.h"
#include "RunIndicator.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QUrl>

namespace
{
QLabel *MakeLine(QWidget *pParent, int nId, const QRect &rc)
{
    auto *pLabel = new QLabel(pParent);
    SetCtrlId(pLabel, nId);
    pLabel->setTextFormat(Qt::PlainText);
    pLabel->setGeometry(rc);
    return pLabel;
}

void ShowElided(QLabel *pLabel, const QString &strText)
{
    pLabel->setText(pLabel->fontMetrics().elidedText(strText, Qt::ElideRight, pLabel->width()));
    pLabel->setToolTip(strText);
}
} // namespace

CConvertDlg::CConvertDlg(QWidget *pParent) : QDialog(pParent)
{
    SetCtrlId(this, IDD);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("Converting..."));

    const CDialogUnits units(font());
    setFixedSize(units.ToPixels(QSize(234, 68)));

    auto *pProgress = new QProgressBar(this);
    SetCtrlId(pProgress, IDC_CONVERT_PROGRESS);
    pProgress->setGeometry(units.ToPixels(QRect(7, 25, 220, 14)));
    pProgress->setRange(0, 100);
    pProgress->setValue(0);
    pProgress->setTextVisible(false);

    m_pStatus = new QLabel(this);
    SetCtrlId(m_pStatus, IDC_CONVERT_STATUS);
    m_pStatus->setTextFormat(Qt::PlainText);
    m_pStatus->setGeometry(units.ToPixels(QRect(8, 10, 225, 8)));

    // Beside "Stop", left of it, three lines of what the run is at.
    m_pTitle = MakeLine(this, IDC_CONVERT_TITLE, units.ToPixels(QRect(8, 42, 164, 8)));
    m_pTitleTime = MakeLine(this, IDC_CONVERT_TITLE_TIME, units.ToPixels(QRect(8, 50, 164, 8)));
    m_pRunTime = MakeLine(this, IDC_CONVERT_RUN_TIME, units.ToPixels(QRect(8, 58, 164, 8)));
    m_pIndicator = new desktop::RunIndicator(this);

    auto *pStop = new QPushButton(tr("Stop"), this);
    SetCtrlId(pStop, IDC_CONVERT_STOP);
    pStop->setAutoDefault(false);
    pStop->setDefault(false);
    pStop->setGeometry(units.ToPixels(QRect(176, 47, 51, 14)));
    pStop->setFocus();

    m_timer.setInterval(300);
    connect(&m_timer, &QTimer::timeout, this, [this] { OnTimer(0); });
    connect(pStop, &QPushButton::clicked, this, &CConvertDlg::OnStop);
    // The worker's end (a stop or the last title done) closes the window at
    // once, not at the next tick.
    m_engine.notifyFinalState(this, [this] {
        if (m_timer.isActive())
            OnTimer(0);
    });
}

// The engine's own destruction waits for its worker; the dialog only ends
// once the worker has published its final state, so that wait is short.
CConvertDlg::~CConvertDlg() = default;

int CConvertDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

bool CConvertDlg::OnInitDialog()
{
    UpdateData(false);
    m_engine.m_mode = ModeConvert;
    m_engine.start();
    m_pIndicator->begin(tr("Converting DVD titles"));
    m_progress->setRange(0, 100);
    m_timer.start();
    return true;
}

void CConvertDlg::DoDataExchange(bool bSave)
{
    m_progress = FindCtrl<QProgressBar>(this, IDC_CONVERT_PROGRESS);
    if (bSave)
        return; // the status line is only shown, never edited
    // A path wider than the line loses its middle, not its file name; the
    // whole path is in the tooltip.
    const int nWidth = m_pStatus->width();
    m_pStatus->setText(m_pStatus->fontMetrics().elidedText(m_strStatus, Qt::ElideMiddle, nWidth));
    m_pStatus->setToolTip(m_strStatus);
    ShowElided(m_pTitle, m_strTitle);
    ShowElided(m_pTitleTime, m_strTitleTime);
    ShowElided(m_pRunTime, m_strRunTime);
}

QString CConvertDlg::FormatTime(qint64 nSeconds)
{
    nSeconds = qMax<qint64>(0, nSeconds);
    return QStringLiteral("%1:%2:%3")
        .arg(nSeconds / 3600)
        .arg(nSeconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(nSeconds % 60, 2, 10, QLatin1Char('0'));
}

void CConvertDlg::ShowRun(const RunSample &sample)
{
    const ConvertJob &job = sample.job;
    m_strTitle =
        tr("Title %1 of %2: %3 %").arg(sample.titleNumber).arg(sample.titleCount).arg(job.percent);
    if (job.fps >= 0 || job.speed >= 0) {
        QStringList speed;
        if (job.fps >= 0)
            speed << tr("%1 fps").arg(job.fps, 0, 'f', job.fps < 10 ? 1 : 0);
        if (job.speed >= 0)
            speed << tr("%1× real time").arg(job.speed, 0, 'f', 2);
        m_strTitle += QStringLiteral(", ") + speed.join(QStringLiteral(", "));
    }

    const RunEstimate estimate = RunEstimate::of(sample);
    const auto line = [](const QString &strWhat, qint64 nElapsed, qint64 nLeft) {
        return nLeft < 0
                   ? tr("%1: %2 elapsed, time left unknown").arg(strWhat, FormatTime(nElapsed))
                   : tr("%1: %2 elapsed, %3 left")
                         .arg(strWhat, FormatTime(nElapsed), FormatTime(nLeft));
    };
    m_strTitleTime = line(tr("This title"), estimate.titleElapsed, estimate.titleLeft);
    m_strRunTime = line(tr("All titles"), estimate.runElapsed, estimate.runLeft);

    if (sample.titleCount > 0) {
        const double progress =
            (double(sample.titleNumber - 1) + job.percent / 100.0) / sample.titleCount;
        m_pIndicator->update(progress, sample.titleCount - sample.titleNumber + 1);
    }
}

void CConvertDlg::OnTimer(int nIdEvent)
{
    if (nIdEvent == 0) {
        ConvertJob job;
        if (m_engine.getCurrentJob(job)) {
            m_strStatus = job.source;
            m_progress->setValue(job.percent);
        }
        RunSample sample;
        if (m_engine.sampleRun(sample))
            ShowRun(sample);
        // A question still open on this dialog is answered first; the run
        // ends on the tick after it closed.
        if (m_engine.m_state > StateStopRequested && m_nOpenQuestions == 0) {
            m_timer.stop();
            m_pIndicator->end();
            UpdateData(true);
            QDialog::done(IDOK);
            return;
        }
    }
    UpdateData(false);
}

void CConvertDlg::OnStop()
{
    if (!AskYesNo(tr("Are you sure that you want to stop?")))
        return;
    // Only a running engine turns to "stop requested": a final state the
    // worker published meanwhile stays.
    m_engine.requestStop();
}

void CConvertDlg::reject()
{
    switch (m_engine.m_state) {
    case StateRunning: {
        ++m_nOpenQuestions;
        QMessageBox box(QMessageBox::NoIcon, kAppCaption,
                        tr("Operation is not supported.\nPlease stop the converting."),
                        QMessageBox::Ok, this);
        box.exec();
        --m_nOpenQuestions;
        break;
    }
    case StateStopRequested:
        // The worker is winding down the current title; the next tick after
        // it has ended closes the dialog.
        break;
    default:
        m_timer.stop();
        m_pIndicator->end();
        QDialog::done(IDCANCEL);
        break;
    }
}

bool CConvertDlg::AskYesNo(const QString &strText)
{
    if (QThread::currentThread() == thread())
        return AskOnThisThread(strText);
    bool bYes = false;
    QMetaObject::invokeMethod(
        this, [this, &strText, &bYes] { bYes = AskOnThisThread(strText); },
        Qt::BlockingQueuedConnection);
    return bYes;
}

bool CConvertDlg::AskOnThisThread(const QString &strText)
{
    ++m_nOpenQuestions;
    QMessageBox box(QMessageBox::NoIcon, kAppCaption, strText, QMessageBox::Yes | QMessageBox::No,
                    this);
    const int nAnswer = box.exec();
    --m_nOpenQuestions;
    return nAnswer == QMessageBox::Yes;
}

QString CConvertDlg::FailureText(const QList<ConvertJob> &failed)
{
    if (failed.isEmpty())
        return QString();
    QString strText = failed.size() == 1 ? tr("This title was not converted:")
                                         : tr("These titles were not converted:");
    for (const ConvertJob &job : failed) {
        QString strError =
            job.lastError.isEmpty() ? tr("The converter gave no reason.") : job.lastError;
        if (strError.size() > 300)
            strError = strError.left(299) + QChar(0x2026);
        strText += QStringLiteral("\n\n") + job.source + QStringLiteral("\n    ") + strError;
        const QString strSummary = job.outcome.summary();
        if (!strSummary.isEmpty())
            strText += QStringLiteral("\n    ") + strSummary;
    }
    return strText;
}

QString CConvertDlg::NotesText(const QList<ConvertJob> &ended)
{
    QString strText;
    for (const ConvertJob &job : ended) {
        const QString strSummary = job.outcome.summary();
        if (strSummary.isEmpty())
            continue;
        strText += (strText.isEmpty() ? QString() : QStringLiteral("\n\n")) + job.source +
                   QStringLiteral("\n    ") + strSummary;
    }
    return strText;
}

bool CConvertDlg::ReportFailures(QWidget *pOwner)
{
    QList<ConvertJob> failed;
    QList<ConvertJob> others;
    {
        std::lock_guard lock(m_engine.m_hLock);
        for (const ConvertJob *pJob : std::as_const(m_engine.m_jobs)) {
            if (pJob->status == StatusFailed)
                failed << *pJob;
            else
                others << *pJob;
        }
    }
    // Titles that converted with gaps, or were stopped and kept in part,
    // are told of as well.
    const QString strNotes = NotesText(others);
    if (failed.isEmpty() && strNotes.isEmpty())
        return false;
    QString strText = FailureText(failed);
    if (!strNotes.isEmpty())
        strText += (strText.isEmpty() ? QString() : QStringLiteral("\n\n")) + strNotes;

    QMessageBox box(QMessageBox::Warning, kAppCaption, strText, QMessageBox::Ok, pOwner);
    QPushButton *pLog = box.addButton(tr("Open Log"), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    if (box.clickedButton() == pLog)
        QDesktopServices::openUrl(QUrl::fromLocalFile(ConvertEng::conversionLogPath()));
    return true;
}
