#pragma once

#include "ConvertEng.h"
#include "DiscTitles.h"
#include "Resource.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QTimer>

#include <atomic>
#include <future>
#include <memory>

class QCloseEvent;
class QProgressBar;
class QPushButton;

// The small "Loading..." window that turns a DVD folder or disc root into the
// list of its titles: it scans the folder into its engine, probes every title
// on the engine's worker and moves a progress bar meanwhile. It closes itself
// with IDOK as soon as the worker has finished; the user cannot cancel or
// close it.
//
// For the title view it reads a DVD's titles from its tables instead
// (SetTitleSource), on a thread of its own, with a Cancel button: cancelling
// ends the process reading the tables and answers IDCANCEL.
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

    static constexpr int IDC_CANCEL = IDCANCEL;

    // Where the next run scans, and the extension of the title files (".VOB").
    void SetSource(QString strExtension, QString strFolder);
    // The DVD (folder, mount point, device or image) whose titles the next
    // run reads into m_pDiscTitles.
    void SetTitleSource(QString strSource);
    // Runs the load; answers IDOK, or IDCANCEL when the user cancelled
    // reading a DVD's titles.
    int DoModal();
    // Empties both result lists; the engine's records are left alone.
    void ClearResults();
    // Whether the last load found that the converter is not installed.
    bool ConverterMissing() const { return m_engine.m_converterMissing; }

    // Enter does nothing: only the end of the load closes the window. Esc
    // cancels reading a DVD's titles, and does nothing while probing.
    void accept() override;
    void reject() override;

protected:
    bool OnInitDialog();
    void OnTimer(int nIdEvent);
    void DoDataExchange(bool bSave);
    // The close command (Alt+F4) does what Esc does.
    void closeEvent(QCloseEvent *pEvent) override;
    void OnCancel();
    void OnTitlesRead();

    ConvertEng m_engine;
    QString m_strFolder;
    QString m_strExtension;

public:
    QList<ConvertJob *> m_titles;  // the titles found, in job order
    QList<MediaInfo> m_titleInfos; // one record per title, paired by position
    // The titles of the last title load; nullptr when it was cancelled.
    std::shared_ptr<const CDiscTitles> m_pDiscTitles;

protected:
    QProgressBar *m_progress = nullptr;
    QPushButton *m_btnCancel = nullptr;
    // Timer 0: moves the bar every 300 ms. The end of the load does not
    // wait for it: the engine's word of its final state ends it at once.
    QTimer m_timer;

private:
    // The check of the title files for scrambling, run beside the probing:
    // the message to show after the load, or an empty string.
    std::future<QString> m_encryptedNotice;
    // The title load: the source, its thread's result, and the flag that
    // ends it early.
    QString m_strTitleSource;
    std::future<CDiscTitles> m_titleLoad;
    std::atomic<bool> m_cancelTitles{false};
};
