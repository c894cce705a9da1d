#pragma once

#include "ConvertEng.h"
#include "Resource.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QTimer>

#include <future>

class QCloseEvent;
class QProgressBar;

// The small "Loading..." window that turns a DVD folder or disc root into the
// list of its titles: it scans the folder into its engine, probes every title
// on the engine's worker and moves a progress bar meanwhile. It closes itself
// with IDOK as soon as the worker has finished; the user cannot cancel or
// close it.
//
// One object serves every load: SetSource, DoModal, then read m_titles and
// m_titleInfos (paired by position). The ConvertJob records m_titles points to
// belong to the engine and stay valid until the next DoModal or the object's
// destruction.
class CLoadingDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int IDD = IDD_LOADING;
    static constexpr int IDC_PROGRESS = IDC_LOADING_PROGRESS;

    explicit CLoadingDlg(QWidget *pParent = nullptr);
    ~CLoadingDlg() override;

    // Where the next run scans, and the extension of the title files (".VOB").
    void SetSource(QString strExtension, QString strFolder);
    // Runs the load; always answers IDOK.
    int DoModal();
    // Empties both result lists; the engine's records are left alone.
    void ClearResults();
    // Whether the last load found that the converter is not installed.
    bool ConverterMissing() const { return m_engine.m_converterMissing; }

    // Enter and Esc do nothing: only the end of the probing closes the window.
    void accept() override;
    void reject() override;

protected:
    bool OnInitDialog();
    void OnTimer(int nIdEvent);
    void DoDataExchange(bool bSave);
    // The close command (Alt+F4) does nothing either.
    void closeEvent(QCloseEvent *pEvent) override;

    ConvertEng m_engine;
    QString m_strFolder;
    QString m_strExtension;

public:
    QList<ConvertJob *> m_titles;  // the titles found, in job order
    QList<MediaInfo> m_titleInfos; // one record per title, paired by position

protected:
    QProgressBar *m_progress = nullptr;
    // Timer 0: moves the bar every 300 ms. The end of the load does not
    // wait for it: the engine's word of its final state ends it at once.
    QTimer m_timer;

private:
    // The check of the title files for scrambling, run beside the probing:
    // the message to show after the load, or an empty string.
    std::future<QString> m_encryptedNotice;
};
