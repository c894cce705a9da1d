#include "AppProfile.h"
#include "ControlId.h"
#include "DialogDriver.h"
#include "TestHome.h"
#include "XFolderDialog.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QSignalSpy>
#include <QToolButton>
#include <QTreeView>

namespace
{
QString Stored(const QString &strSection, const QString &strEntry)
{
    return CAppProfile().GetProfileString(strSection, strEntry, "<missing>");
}

QComboBox *Combo(CXFolderDialog &dlg)
{
    return FindCtrl<QComboBox>(&dlg, CXFolderDialog::IDC_FOLDER_HISTORY);
}

void Click(QWidget *pWidget)
{
    QVERIFY(pWidget);
    QTest::mouseClick(pWidget, Qt::LeftButton);
}

void ClickOk(CXFolderDialog &dlg)
{
    Click(FindCtrl<QPushButton>(&dlg, IDOK));
}

void ClickCancel(CXFolderDialog &dlg)
{
    Click(FindCtrl<QPushButton>(&dlg, IDCANCEL));
}

// Clicks the folder in whichever view the dialog shows.
bool ClickItem(CXFolderDialog &dlg, const QString &strPath)
{
    QAbstractItemView *pView =
        dlg.viewMode() == QFileDialog::Detail
            ? static_cast<QAbstractItemView *>(dlg.findChild<QTreeView *>("treeView"))
            : dlg.findChild<QListView *>("listView");
    const QModelIndex index = WaitForItem(dlg, pView, strPath);
    if (!index.isValid())
        return false;
    QTest::mouseClick(pView->viewport(), Qt::LeftButton, {}, pView->visualRect(index).center());
    return true;
}
} // namespace

class TestXFolderDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_pRoot;
    QString m_strRoot;

    QString Sub(const char *pszName) const { return m_strRoot + QLatin1Char('/') + pszName; }

private slots:
    void init()
    {
        CTestHome::ClearProfile();
        m_pRoot = std::make_unique<QTemporaryDir>();
        m_strRoot = m_pRoot->path();
        for (const char *pszName : {"A", "B", "Movies", "movies"})
            QVERIFY(QDir().mkpath(Sub(pszName)));
        QFile file(Sub("movie.vob"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    void opensInTheStartFolderShowingFoldersOnly()
    {
        CAppProfile().WriteProfileString("FolderHistory", "Folder0000", Sub("B"));
        CXFolderDialog dlg(m_strRoot);
        QStringList listed;
        QString comboText;
        QWidget *pFocus = nullptr;
        // The folder is read in the background: list it once it is fully read.
        QSignalSpy loaded(dlg.findChild<QFileSystemModel *>(), &QFileSystemModel::directoryLoaded);
        const int result = DriveModal(dlg, [&] {
            auto *pView = dlg.findChild<QListView *>("listView");
            const bool read = QTest::qWaitFor(
                [&] {
                    return std::any_of(loaded.begin(), loaded.end(),
                                       [&](const QList<QVariant> &args) {
                                           return args.value(0).toString() == m_strRoot;
                                       });
                },
                5000);
            if (read && WaitForItem(dlg, pView, Sub("A")).isValid()) {
                const QModelIndex root = pView->rootIndex();
                for (int row = 0; row < pView->model()->rowCount(root); ++row)
                    listed << pView->model()->index(row, 0, root).data().toString();
            }
            comboText = Combo(dlg)->currentText();
            pFocus = QApplication::focusWidget();
            ClickCancel(dlg);
        });
        QCOMPARE(result, IDCANCEL);
        listed.sort();
        QCOMPARE(listed, (QStringList{"A", "B", "Movies", QString("movies")}));
        QCOMPARE(dlg.windowTitle(), "Select Folder");
        // The most recent folder is in the list; the field shows the open folder.
        QCOMPARE(Combo(dlg)->itemText(0), Sub("B"));
        QCOMPARE(comboText, m_strRoot);
        QVERIFY(pFocus == Combo(dlg) || pFocus == Combo(dlg)->lineEdit());
        auto *pLabel = FindCtrl<QLabel>(&dlg, CXFolderDialog::IDC_FOLDER_LABEL);
        QVERIFY(pLabel);
        QCOMPARE(pLabel->text(), "Folder &name:");
    }

    void choosingAFolderAndAcceptingRemembersIt()
    {
        CXFolderDialog dlg(m_strRoot);
        const int result = DriveModal(dlg, [&] {
            if (ClickItem(dlg, Sub("B")))
                ClickOk(dlg);
        });
        QCOMPARE(result, IDOK);
        QCOMPARE(dlg.GetPath(), Sub("B"));
        QCOMPARE(Stored("FolderHistory", "Folder0000"), Sub("B"));
        QCOMPARE(Stored("FolderHistory", "Folder"), Sub("B"));
    }

    void acceptingNothingAsksForAFolder()
    {
        CMessageBoxCloser closer;
        CXFolderDialog dlg(m_strRoot);
        bool openAfterOk = false;
        const int result = DriveModal(dlg, [&] {
            TypeInto(Combo(dlg)->lineEdit(), QString());
            ClickOk(dlg);
            openAfterOk = dlg.isVisible();
            ClickCancel(dlg);
        });
        QCOMPARE(result, IDCANCEL);
        QVERIFY(openAfterOk);
        QCOMPARE(closer.m_seen.size(), 1);
        QCOMPARE(closer.m_seen[0].strText, "Please select a folder.");
        QCOMPARE(closer.m_seen[0].strTitle, CAppProfile::AppName());
        QCOMPARE(closer.m_seen[0].icon, QMessageBox::NoIcon);
        // Cancel leaves the history alone.
        QCOMPARE(Stored("FolderHistory", "Folder0000"), "<missing>");
    }

    void aTypedPathThatIsNoFolderIsRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("missing folder") << QString("nope");
        QTest::newRow("a file") << QString("movie.vob");
    }

    void aTypedPathThatIsNoFolderIsRefused()
    {
        QFETCH(QString, typed);
        const QString path = m_strRoot + QLatin1Char('/') + typed;
        CMessageBoxCloser closer;
        CXFolderDialog dlg(m_strRoot);
        bool openAfterOk = false;
        const int result = DriveModal(dlg, [&] {
            // A folder selected first: the text typed afterwards is what counts.
            if (!ClickItem(dlg, Sub("A")))
                return ClickCancel(dlg);
            TypeInto(Combo(dlg)->lineEdit(), path);
            ClickOk(dlg);
            openAfterOk = dlg.isVisible();
            ClickCancel(dlg);
        });
        QCOMPARE(result, IDCANCEL);
        QVERIFY(openAfterOk);
        QCOMPARE(closer.m_seen.size(), 1);
        QCOMPARE(closer.m_seen[0].strText, QString("The folder '%1' isn't accessible.").arg(path));
        QCOMPARE(closer.m_seen[0].icon, QMessageBox::NoIcon);
    }

    void leavingTheFieldGoesToTheTypedFolder()
    {
        CXFolderDialog dlg(m_strRoot);
        QString shown;
        const int result = DriveModal(dlg, [&] {
            TypeInto(Combo(dlg)->lineEdit(), Sub("A"));
            QTest::keyClick(Combo(dlg)->lineEdit(), Qt::Key_Tab);
            (void)QTest::qWaitFor([&] { return dlg.directory().absolutePath() == Sub("A"); }, 3000);
            shown = dlg.directory().absolutePath();
            ClickOk(dlg);
        });
        QCOMPARE(shown, Sub("A"));
        QCOMPARE(result, IDOK);
        QCOMPARE(dlg.GetPath(), Sub("A"));
    }

    void aRelativeNameIsTakenFromTheFolderShown()
    {
        CXFolderDialog dlg(m_strRoot);
        const int result = DriveModal(dlg, [&] {
            TypeInto(Combo(dlg)->lineEdit(), "B");
            ClickOk(dlg);
        });
        QCOMPARE(result, IDOK);
        QCOMPARE(dlg.GetPath(), Sub("B"));
    }

    void enterAcceptsTheTypedFolder()
    {
        CXFolderDialog dlg(m_strRoot);
        const int result = DriveModal(dlg, [&] {
            TypeInto(Combo(dlg)->lineEdit(), Sub("A"));
            QTest::keyClick(Combo(dlg)->lineEdit(), Qt::Key_Return);
            if (dlg.isVisible())
                ClickCancel(dlg);
        });
        QCOMPARE(result, IDOK);
        QCOMPARE(dlg.GetPath(), Sub("A"));
    }

    void pickingFromTheHistoryGoesThere()
    {
        {
            CAppProfile profile;
            profile.WriteProfileString("FolderHistory", "Folder0000", Sub("A"));
            profile.WriteProfileString("FolderHistory", "Folder0001", Sub("deleted"));
            profile.WriteProfileString("FolderHistory", "Folder0002", Sub("B"));
        }
        CXFolderDialog dlg(m_strRoot);
        dlg.m_strTitle = QString("Pick a DVD");
        QStringList entries;
        QString shown;
        const int result = DriveModal(dlg, [&] {
            QComboBox *pCombo = Combo(dlg);
            for (int i = 0; i < pCombo->count(); ++i)
                entries << pCombo->itemText(i);
            pCombo->showPopup();
            QAbstractItemView *pPopup = pCombo->view();
            QTest::qWait(QApplication::doubleClickInterval() + 50);
            const QRect item = pPopup->visualRect(pPopup->model()->index(1, 0));
            QTest::mouseClick(pPopup->viewport(), Qt::LeftButton, {}, item.center());
            (void)QTest::qWaitFor([&] { return dlg.directory().absolutePath() == Sub("B"); }, 3000);
            shown = dlg.directory().absolutePath();
            ClickCancel(dlg);
        });
        QCOMPARE(result, IDCANCEL);
        QCOMPARE(dlg.windowTitle(), "Pick a DVD");
        QCOMPARE(entries, (QStringList{Sub("A"), Sub("B")})); // the deleted folder is skipped
        QCOMPARE(shown, Sub("B"));
        QCOMPARE(Stored("FolderHistory", "Folder0001"),
                 Sub("deleted")); // nothing saved on Cancel
    }

    void theViewModeIsRememberedEvenAfterCancel()
    {
        auto makeDialog = [this] {
            auto pDlg = std::make_unique<CXFolderDialog>(m_strRoot);
            pDlg->m_bPersistViewMode = true;
            pDlg->m_bTrackViewMode = true;
            return pDlg;
        };
        const QString section = QString("XFolderDialog");

        auto pFirst = makeDialog();
        QFileDialog::ViewMode opened = QFileDialog::Detail, afterBrowsing = QFileDialog::List;
        DriveModal(*pFirst, [&] {
            opened = pFirst->viewMode();
            Click(pFirst->findChild<QToolButton *>("detailModeButton"));
            TypeInto(Combo(*pFirst)->lineEdit(), Sub("A"));
            QTest::keyClick(Combo(*pFirst)->lineEdit(), Qt::Key_Tab);
            (void)QTest::qWaitFor([&] { return pFirst->directory().absolutePath() == Sub("A"); },
                                  3000);
            afterBrowsing = pFirst->viewMode(); // the view the user picked stays
            ClickCancel(*pFirst);
        });
        pFirst.reset();
        QCOMPARE(opened, QFileDialog::List);
        QCOMPARE(afterBrowsing, QFileDialog::Detail);
        QCOMPARE(Stored(section, "ViewMode"), "28747");

        auto pSecond = makeDialog();
        bool detailsShown = false;
        DriveModal(*pSecond, [&] {
            opened = pSecond->viewMode();
            detailsShown = pSecond->findChild<QTreeView *>("treeView")->isVisible();
            Click(pSecond->findChild<QToolButton *>("listModeButton"));
            ClickOk(*pSecond);
        });
        QCOMPARE(pSecond->result(), int(QDialog::Accepted));
        pSecond.reset();
        QCOMPARE(opened, QFileDialog::Detail);
        QVERIFY(detailsShown);
        QCOMPARE(Stored(section, "ViewMode"), "28753");

        // Without tracking the dialog neither applies nor records a view.
        CXFolderDialog untracked(m_strRoot);
        CAppProfile().WriteProfileInt(section, "ViewMode", 28747);
        DriveModal(untracked, [&] {
            opened = untracked.viewMode();
            ClickCancel(untracked);
        });
        QCOMPARE(opened, QFileDialog::List);
        QCOMPARE(Stored(section, "ViewMode"), "28747");
    }

    void aStartFolderThatIsGoneOpensItsParent()
    {
        CXFolderDialog dlg(Sub("A") + "/gone/deeper");
        QString shown;
        DriveModal(dlg, [&] {
            shown = dlg.directory().absolutePath();
            ClickCancel(dlg);
        });
        QCOMPARE(shown, Sub("A"));
    }

    void foldersThatDifferOnlyInCaseStayApart()
    {
        CAppProfile().WriteProfileString("FolderHistory", "Folder0000", Sub("Movies"));
        CXFolderDialog dlg(m_strRoot);
        const int result = DriveModal(dlg, [&] {
            if (ClickItem(dlg, Sub("movies")))
                ClickOk(dlg);
        });
        QCOMPARE(result, IDOK);
        QCOMPARE(dlg.GetPath(), Sub("movies"));
        QCOMPARE(Stored("FolderHistory", "Folder0000"), Sub("movies"));
        QCOMPARE(Stored("FolderHistory", "Folder0001"), Sub("Movies"));
    }
};

VELKO_TEST_MAIN(TestXFolderDialog)
#include "tst_xfolderdialog.moc"
