#pragma once

#include "ConvertEng.h"
#include "Resource.h"
#include "RunEstimate.h"

#include <QDialog>
#include <QString>
#include <QTimer>

class QLabel;
class QProgressBar;

namespace desktop
{
class RunIndicator;
}

// "Converting...": the window in which the conversions of one press of
// "Convert" take place. The caller fills m_engine (jobs, arguments, extension,
// callback, output folder) and runs DoModal; the dialog starts the engine,
// shows the current title and its percentage every 300 ms, offers "Stop" and
// closes itself once the engine has finished or stopped. It cannot be closed
// while the engine works.
class CConvertDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int IDD = IDD_CONVERT;

    explicit CConvertDlg(QWidget *pParent = nullptr);
    ~CConvertDlg() override;

    // IDOK when the run ended by itself, IDCANCEL when closed after it ended.
    int DoModal();

    // Asks a Yes/No question in a message box over this dialog and answers
    // true for Yes. May be called from any thread: from another one the
    // question is put on this dialog's thread and the caller waits.
    bool AskYesNo(const QString &strText);

    // Esc, the close box and Alt+F4: refused while the engine works.
    void reject() override;

    // After the run: when titles failed, one message over owner names each
    // with the converter's last message line and offers the log of the run.
    // A run without failures ends silently. Answers whether it told of any.
    bool ReportFailures(QWidget *pOwner);
    // The message for the failed jobs; empty when none failed.
    static QString FailureText(const QList<ConvertJob> &failed);
    // For titles that did not fail: what was skipped, where a stopped one
    // ends and the name its part was kept under; empty when none has any.
    static QString NotesText(const QList<ConvertJob> &ended);

    // A time of the dialog's lines: h:mm:ss.
    static QString FormatTime(qint64 nSeconds);

    ConvertEng m_engine;

protected:
    bool OnInitDialog();
    void DoDataExchange(bool bSave);
    void UpdateData(bool bSave) { DoDataExchange(bSave); }
    void OnTimer(int nIdEvent);
    void OnStop();
    // Fills the lines beside "Stop" from a look at the run.
    void ShowRun(const RunSample &sample);

    QProgressBar *m_progress = nullptr;
    QString m_strStatus;
    QString m_strTitle;
    QString m_strTitleTime;
    QString m_strRunTime;
    // Timer 0: shows the run every 300 ms. The end of the run does not wait
    // for it: the engine's word of its final state closes the window at once.
    QTimer m_timer;

private:
    bool AskOnThisThread(const QString &strText);

    QLabel *m_pStatus = nullptr;
    QLabel *m_pTitle = nullptr;
    QLabel *m_pTitleTime = nullptr;
    QLabel *m_pRunTime = nullptr;
    desktop::RunIndicator *m_pIndicator = nullptr;
    int m_nOpenQuestions = 0;
};
