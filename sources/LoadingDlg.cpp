#include "LoadingDlg.h"

#include "ControlId.h"
#include "DialogUnits.h"
#include "EncryptedDisc.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include <mutex>

CLoadingDlg::CLoadingDlg(QWidget *pParent) : QDialog(pParent)
{
    // A caption but no system menu and no close box: nothing but the end of
    // the probing closes this window.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(tr("Loading..."));
    SetCtrlId(this, IDD);

    const CDialogUnits units(font());
    setFixedSize(units.ToPixels(QSize(290, 28)));

    auto *pProgress = new QProgressBar(this);
    SetCtrlId(pProgress, IDC_PROGRESS);
    pProgress->setGeometry(units.ToPixels(QRect(7, 7, 269, 14)));
    pProgress->setRange(0, 100);
    pProgress->setValue(0);
    pProgress->setTextVisible(false);

    // Only a title load can be cancelled; the button shows for it alone.
    auto *pCancel = new QPushButton(tr("Cancel"), this);
    SetCtrlId(pCancel, IDC_CANCEL);
    pCancel->setGeometry(units.ToPixels(QRect(226, 26, 50, 14)));
    pCancel->hide();
    connect(pCancel, &QPushButton::clicked, this, &CLoadingDlg::OnCancel);

    m_timer.setInterval(300);
    connect(&m_timer, &QTimer::timeout, this, [this] { OnTimer(0); });
    // The worker's end closes the window at once: the list appears as soon
    // as the titles are known, not at the next tick.
    m_engine.notifyFinalState(this, [this] {
        if (m_timer.isActive())
            OnTimer(0);
    });
}

CLoadingDlg::~CLoadingDlg()
{
    // The thread reads into this object: it ends before the object does.
    m_cancelTitles = true;
    if (m_titleLoad.valid())
        m_titleLoad.wait();
}

void CLoadingDlg::DoDataExchange(bool bSave)
{
    if (!bSave) {
        m_progress = FindCtrl<QProgressBar>(this, IDC_PROGRESS);
        m_btnCancel = FindCtrl<QPushButton>(this, IDC_CANCEL);
    }
}

void CLoadingDlg::SetSource(QString strExtension, QString strFolder)
{
    m_strExtension = std::move(strExtension);
    m_strFolder = std::move(strFolder);
    m_strTitleSource.clear();
}

void CLoadingDlg::SetTitleSource(QString strSource)
{
    m_strTitleSource = std::move(strSource);
}

void CLoadingDlg::ClearResults()
{
    m_titles.clear();
    m_titleInfos.clear();
}

int CLoadingDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

bool CLoadingDlg::OnInitDialog()
{
    DoDataExchange(false);
    const CDialogUnits units(font());
    const bool bTitles = !m_strTitleSource.isEmpty();
    setFixedSize(units.ToPixels(bTitles ? QSize(290, 46) : QSize(290, 28)));
    m_btnCancel->setVisible(bTitles);
    m_btnCancel->setEnabled(true);
    if (bTitles) {
        // How long the tables take is unknown: the bar only shows that
        // something is going on. Their reading runs on a thread of its own
        // and says when it is done.
        m_progress->setRange(0, 0);
        m_pDiscTitles.reset();
        m_cancelTitles = false;
        m_titleLoad = std::async(std::launch::async, [this, strSource = m_strTitleSource] {
            CDiscTitles titles = CDiscTitles::Open(strSource, &m_cancelTitles);
            titles.MainTitle(); // found here, not on the GUI thread
            QMetaObject::invokeMethod(this, &CLoadingDlg::OnTitlesRead, Qt::QueuedConnection);
            return titles;
        });
        return true;
    }
    m_progress->setRange(0, 100);
    m_progress->setValue(0);

    // The records of the previous load go; the scan runs here, before the
    // window shows, and the probing on the engine's worker.
    m_engine.clear();
    m_engine.scanFolder(m_strExtension, m_strFolder);
    m_engine.m_outputFolder.clear();
    m_engine.m_mode = ModeProbe;
    QStringList titleFiles;
    for (const ConvertJob *pJob : std::as_const(m_engine.m_jobs))
        titleFiles << pJob->source;
    m_encryptedNotice = std::async(std::launch::async, EncryptedDiscNotice, titleFiles);
    m_engine.start();

    m_timer.start();
    return true;
}

void CLoadingDlg::OnTimer(int nIdEvent)
{
    if (nIdEvent != 0)
        return;

    const int state = m_engine.m_state;
    // Only a finished worker ends the load; a stopped one (which this dialog
    // never asks for) must not leave the window open for good either.
    if (state == StateFinished || state == StateStopped) {
        {
            std::lock_guard lock(m_engine.m_hLock);
            m_titles = m_engine.m_jobs;
            m_titleInfos = m_engine.m_mediaInfos;
        }
        // Callers read the two lists side by side: keep them the same length
        // even if a title went without a probe record.
        m_titleInfos.resize(m_titles.size());
        m_progress->setValue(100);
        m_timer.stop();
        DoDataExchange(true);
        QDialog::accept();
        // An encrypted disc without the means to decrypt it: the rows stay,
        // with their durations from the disc's tables, and the user learns
        // why they will not convert and how to mend it.
        const QString strNotice = m_encryptedNotice.valid() ? m_encryptedNotice.get() : QString();
        if (!strNotice.isEmpty())
            QMessageBox::warning(parentWidget(), tr("Velko Free DVD Ripper"), strNotice);
        return;
    }

    const qint64 count = m_engine.m_jobs.size();
    ConvertJob current;
    const qint64 index = m_engine.getCurrentJob(current) ? current.index : 0;
    // No job yet means the worker is about to finish: show 0 rather than divide.
    m_progress->setValue(count > 0 ? int(index * 100 / count) : 0);
}

void CLoadingDlg::OnTitlesRead()
{
    if (!m_titleLoad.valid())
        return;
    auto pTitles = std::make_shared<const CDiscTitles>(m_titleLoad.get());
    if (!m_cancelTitles)
        m_pDiscTitles = std::move(pTitles);
    m_progress->setRange(0, 100);
    m_progress->setValue(100);
    done(m_cancelTitles ? IDCANCEL : IDOK);
}

void CLoadingDlg::OnCancel()
{
    // The thread ends the reading process at once and then ends the window.
    if (m_titleLoad.valid()) {
        m_cancelTitles = true;
        m_btnCancel->setEnabled(false);
    }
}

void CLoadingDlg::accept() {}

void CLoadingDlg::reject()
{
    OnCancel();
}

void CLoadingDlg::closeEvent(QCloseEvent *pEvent)
{
    OnCancel();
    pEvent->ignore();
}
