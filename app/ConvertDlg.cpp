#include "ConvertDlg.h"

#include "AppTexts.h"
#include "ControlId.h"
#include "DialogUnits.h"
#include "Resource.h"

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

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

    auto *pStop = new QPushButton(tr("Stop"), this);
    SetCtrlId(pStop, IDC_CONVERT_STOP);
    pStop->setAutoDefault(false);
    pStop->setDefault(false);
    pStop->setGeometry(units.ToPixels(QRect(176, 47, 51, 14)));
    pStop->setFocus();

    m_timer.setInterval(300);
    connect(&m_timer, &QTimer::timeout, this, [this] { OnTimer(0); });
    connect(pStop, &QPushButton::clicked, this, &CConvertDlg::OnStop);
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
}

void CConvertDlg::OnTimer(int nIdEvent)
{
    if (nIdEvent == 0) {
        ConvertJob job;
        if (m_engine.getCurrentJob(job)) {
            m_strStatus = job.source;
            m_progress->setValue(job.percent);
        }
        // A question still open on this dialog is answered first; the run
        // ends on the tick after it closed.
        if (m_engine.m_state > StateStopRequested && m_nOpenQuestions == 0) {
            m_timer.stop();
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
