#pragma once

#include "ConvertDlg.h"
#include "VelkoDVDRipperDlg.h"

#include "ConvertJob.h"
#include "MediaInfo.h"

#include "ControlId.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>
#include <vector>

// The main window with the steps the program runs hidden behind DoModal made
// reachable: initialisation without a modal loop, and the rows a load adds.
class CTestMainDlg : public CVelkoDVDRipperDlg
{
public:
    using CVelkoDVDRipperDlg::CVelkoDVDRipperDlg;

    void Init() { OnInitDialog(); }

    // Rows as a load of these titles (path, duration text, format text) adds them.
    void AddTitles(const QList<std::tuple<QString, QString, QString>> &titles)
    {
        QList<ConvertJob *> jobs;
        QList<MediaInfo> infos;
        for (const auto &[path, duration, format] : titles) {
            m_jobs.push_back(std::make_unique<ConvertJob>());
            m_jobs.back()->source = path;
            jobs << m_jobs.back().get();
            infos << MediaInfo{duration, format};
        }
        AppendTitleRows(jobs, infos);
    }

private:
    std::vector<std::unique_ptr<ConvertJob>> m_jobs;
};

// The conversion dialog showing a given title and percentage, for pictures.
class CTestConvertDlg : public CConvertDlg
{
public:
    void Show(const QString &strStatus, int nPercent)
    {
        m_strStatus = strStatus;
        UpdateData(false);
        m_progress->setValue(nPercent);
    }

    // The lines beside "Stop" as a look at a run gives them.
    void ShowRun(const RunSample &sample)
    {
        CConvertDlg::ShowRun(sample);
        UpdateData(false);
    }
};

// Hands every dialog (message boxes included) that opens while it lives to a
// handler, once each, the way a user would deal with it. The handler runs on
// a timer of its own, so it may open further dialogs. Whatever is still open
// when the watcher goes, or after the deadline, is rejected: a test that goes
// wrong fails instead of hanging.
class CModalWatcher : public QObject
{
public:
    using Handler = std::function<void(QDialog *)>;

    struct Seen {
        QString strTitle;
        QString strText; // a message box's text, else empty
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };

    explicit CModalWatcher(Handler handler, int nDeadlineMs = 90000) : m_handler(std::move(handler))
    {
        // Windows already open (the main window) are not the watcher's.
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *pWindow : windows) {
            if (pWindow->isVisible())
                m_known.append(pWindow);
        }
        connect(&m_poll, &QTimer::timeout, this, &CModalWatcher::Poll);
        m_poll.start(20);
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this] {
            m_bTimedOut = true;
            RejectAll();
        });
        m_deadline.start(nDeadlineMs);
    }
    ~CModalWatcher() override { RejectAll(); }

    QList<Seen> m_seen;
    bool m_bTimedOut = false;

    QStringList Texts() const
    {
        QStringList texts;
        for (const Seen &seen : m_seen)
            texts << seen.strText;
        return texts;
    }

private:
    void Poll()
    {
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *pWindow : windows) {
            auto *pDlg = qobject_cast<QDialog *>(pWindow);
            if (!pDlg || !pDlg->isVisible() || m_known.contains(pDlg))
                continue;
            m_known.append(pDlg);
            Seen seen{pDlg->windowTitle(), {}, QMessageBox::NoIcon};
            if (auto *pBox = qobject_cast<QMessageBox *>(pDlg)) {
                seen.strText = pBox->text();
                seen.icon = pBox->icon();
            }
            m_seen.append(seen);
            m_open.append(pDlg);
            QPointer<QDialog> pGuard(pDlg);
            QTimer::singleShot(0, this, [this, pGuard] {
                if (pGuard && pGuard->isVisible() && QTest::qWaitForWindowActive(pGuard.data()))
                    m_handler(pGuard.data());
            });
        }
    }

    void RejectAll()
    {
        for (const QPointer<QDialog> &pDlg : std::as_const(m_open)) {
            if (pDlg && pDlg->isVisible())
                pDlg->reject();
        }
    }

    Handler m_handler;
    QTimer m_poll;
    QTimer m_deadline;
    QList<QPointer<QDialog>> m_open;
    QList<QPointer<QWidget>> m_known;
};

// Clicks a message box's button as a user would; false when it has none such.
inline bool Answer(QDialog *pDlg, QMessageBox::StandardButton button)
{
    auto *pBox = qobject_cast<QMessageBox *>(pDlg);
    QAbstractButton *pButton = pBox ? pBox->button(button) : nullptr;
    if (!pButton)
        return false;
    QTest::mouseClick(pButton, Qt::LeftButton);
    return true;
}

// The toolbar button of a command of the main window.
inline QToolButton *CommandButton(CVelkoDVDRipperDlg &dlg, int nCommand)
{
    return dlg.m_wndToolBar.GetButton(dlg.m_wndToolBar.CommandToIndex(nCommand));
}

inline void ClickCommand(CVelkoDVDRipperDlg &dlg, int nCommand)
{
    QTest::mouseClick(CommandButton(dlg, nCommand), Qt::LeftButton);
}

// Ticks or clears the check box of a row with the mouse.
inline void ClickCheckBox(QTableWidget &list, int nRow)
{
    QStyleOptionViewItem opt;
    opt.initFrom(list.viewport());
    opt.rect = list.visualRect(list.model()->index(nRow, 0));
    opt.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect rcCheck =
        list.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, &list);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rcCheck.center());
}
