#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

// Closes every message box that shows up while it lives, the way a user
// would (a click on its OK button), and remembers what each one said.
class CMessageBoxCloser : public QObject
{
public:
    struct Seen {
        QString strTitle;
        QString strText;
        QMessageBox::Icon icon;
    };

    CMessageBoxCloser()
    {
        connect(&m_timer, &QTimer::timeout, this, &CMessageBoxCloser::Poll);
        m_timer.start(20);
    }

    QList<Seen> m_seen;

private:
    void Poll()
    {
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *pWindow : windows) {
            auto *pBox = qobject_cast<QMessageBox *>(pWindow);
            if (!pBox || !pBox->isVisible() || pBox->property("velkoClosing").toBool())
                continue;
            pBox->setProperty("velkoClosing", true);
            m_seen.append({pBox->windowTitle(), pBox->text(), pBox->icon()});
            if (QAbstractButton *pOk = pBox->button(QMessageBox::Ok))
                QTest::mouseClick(pOk, Qt::LeftButton);
            else
                pBox->reject();
        }
    }

    QTimer m_timer;
};

// Runs a modal dialog and drives it from inside its own event loop. The steps
// start once the dialog is active. A dialog still open after the time limit
// is rejected, so a test that goes wrong fails instead of hanging.
template <typename Dialog>
int DriveModal(Dialog &dlg, const std::function<void()> &steps, bool *pTimedOut = nullptr)
{
    QPointer<Dialog> pDlg(&dlg);
    QTimer::singleShot(0, &dlg, [pDlg, steps] {
        if (pDlg && QTest::qWaitForWindowActive(pDlg.data()))
            steps();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &dlg, [pDlg, pTimedOut] {
        if (pDlg && pDlg->isVisible()) {
            if (pTimedOut)
                *pTimedOut = true;
            pDlg->reject();
        }
    });
    watchdog.start(20000);
    return dlg.DoModal();
}

// The item of a path in a file dialog's current view, once the view shows it;
// an invalid index after five seconds.
inline QModelIndex WaitForItem(QWidget &dlg, QAbstractItemView *pView, const QString &strPath)
{
    auto *pModel = dlg.findChild<QFileSystemModel *>();
    QModelIndex index;
    const bool shown = QTest::qWaitFor(
        [&] {
            index = pModel ? pModel->index(strPath) : QModelIndex();
            return index.isValid() && !pView->visualRect(index).isEmpty();
        },
        5000);
    return shown ? index : QModelIndex();
}

// Replaces the text of an editable field as a user would: click, select all,
// erase, type.
inline void TypeInto(QLineEdit *pEdit, const QString &strText)
{
    QTest::mouseClick(pEdit, Qt::LeftButton);
    QTest::keyClick(pEdit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(pEdit, Qt::Key_Backspace);
    if (!strText.isEmpty())
        QTest::keyClicks(pEdit, strText);
}
