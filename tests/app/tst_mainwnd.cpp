#include "AppProfile.h"
#include "AppTestSupport.h"
#include "DVDDiscDlg.h"
#include "DVDFolderDlg.h"
#include "DialogUnits.h"
#include "DiscDrives.h"
#include "Options.h"
#include "PresetCatalogue.h"
#include "Resource.h"
#include "TestHome.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace
{
const QString kCaption = QStringLiteral("Velko Free DVD Ripper");

QLineEdit *Edit(QWidget *pDlg, int nId)
{
    return FindCtrl<QLineEdit>(pDlg, nId);
}

QStringList Items(const QComboBox &combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

// In the folder browser that is open, types strPath and presses Enter; an
// empty strPath cancels it.
void ChooseFolder(QDialog *pDlg, const QString &strPath)
{
    auto *pBrowser = qobject_cast<QFileDialog *>(pDlg);
    QVERIFY(pBrowser);
    QCOMPARE(pBrowser->windowTitle(), QStringLiteral("Select a folder"));
    if (strPath.isEmpty()) {
        pBrowser->reject();
        return;
    }
    auto *pName = pBrowser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(pName);
    pName->setText(strPath);
    QTest::keyClick(pName, Qt::Key_Return);
}

QString Documents()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}
} // namespace

class TestMainWnd : public QObject
{
    Q_OBJECT

    CTestMainDlg *m_pDlg = nullptr;
    PresetCatalogue m_catalogue;
    QTemporaryDir m_work;
    QList<QUrl> m_opened;

    CTestMainDlg &Dlg() { return *m_pDlg; }

    void AddThreeTitles()
    {
        Dlg().AddTitles({{"/dvd/VIDEO_TS/VTS_01_1.VOB", " 00:20:00", " MPEG2"},
                         {"/dvd/VIDEO_TS/VTS_01_2.VOB", " 00:19:41", " MPEG2"},
                         {"/dvd/VIDEO_TS/VTS_02_1.VOB", " 00:03:12", " MPEG2"}});
    }

public slots:
    void openUrl(const QUrl &url) { m_opened << url; }

private slots:
    void initTestCase()
    {
        BuildPresetCatalogue(m_catalogue);
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    void init()
    {
        CTestHome::ClearProfile();
        SetDiscDriveSource([] { return QList<CDiscDrive>(); });
        m_pDlg = new CTestMainDlg;
        m_pDlg->Init();
        m_pDlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pDlg));
    }

    void cleanup()
    {
        delete m_pDlg;
        m_pDlg = nullptr;
        QCOMPARE(g_pOptions, nullptr);
    }

    void startsWithDefaultsAndTheFirstPreset()
    {
        const QString strOutput = Documents() + QStringLiteral("/VelkoFreeVideos");
        QCOMPARE(Edit(m_pDlg, IDC_OUTPUT_FOLDER)->text(), strOutput);
        QVERIFY(QFileInfo(strOutput).isDir());
        QCOMPARE(Edit(m_pDlg, IDC_SNAPSHOT_FOLDER)->text(),
                 QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
        QVERIFY(Edit(m_pDlg, IDC_OUTPUT_FOLDER)->isReadOnly());

        auto *pCategory = FindCtrl<QComboBox>(m_pDlg, IDC_COMBO_CATEGORY);
        auto *pPreset = FindCtrl<QComboBox>(m_pDlg, IDC_COMBO_PRESET);
        QCOMPARE(pCategory->count(), m_catalogue.CategoryCount());
        QCOMPARE(pCategory->currentText(), QStringLiteral("AVI"));
        QCOMPARE(pPreset->currentText(), QStringLiteral("XviD FullScreen"));
        QCOMPARE(pPreset->count(), m_catalogue.PresetCount(0));
        QVERIFY(
            Dlg().m_strPresetArgs.startsWith(QStringLiteral("-f avi -r 29.97 -vcodec libxvid")));
        QCOMPARE(Dlg().m_strPresetArgs, m_catalogue.PresetArguments(0, 0));

        // Columns: 8/12 and 2/12 of the list's width, the rest for "Format".
        auto *pList = FindCtrl<QTableWidget>(m_pDlg, IDC_LIST_TITLES);
        QCOMPARE(pList->columnCount(), 3);
        QCOMPARE(pList->horizontalHeaderItem(0)->text(), QStringLiteral("FileName"));
        QCOMPARE(pList->horizontalHeaderItem(1)->text(), QStringLiteral("Duration"));
        QCOMPARE(pList->horizontalHeaderItem(2)->text(), QStringLiteral("Format"));
        const int nWidth = pList->viewport()->width();
        QCOMPARE(pList->columnWidth(0), nWidth / 12 * 8);
        QCOMPARE(pList->columnWidth(1), nWidth / 12 * 2);
        QCOMPARE(pList->columnWidth(0) + pList->columnWidth(1) + pList->columnWidth(2), nWidth);

        // The toolbar along the top; every control below it, the window
        // taller by the toolbar's height.
        const CDialogUnits units(m_pDlg->font());
        auto *pBar = FindCtrl<CTextToolBar>(m_pDlg, AFX_IDW_TOOLBAR);
        QVERIFY(pBar);
        QCOMPARE(pBar->geometry().topLeft(), QPoint(0, 0));
        QCOMPARE(pBar->width(), m_pDlg->width());
        const int nBar = pBar->height();
        QCOMPARE(m_pDlg->size(), units.ToPixels(QSize(626, 290)) + QSize(0, nBar));
        QCOMPARE(pList->geometry(), units.ToPixels(QRect(7, 7, 368, 186)).translated(0, nBar));
        QCOMPARE(FindCtrl<QWidget>(m_pDlg, IDC_PREVIEW_FRAME)->y(), units.ToPixelsY(7) + nBar);
        QStringList captions;
        for (int nCommand : kToolBarButtons)
            captions << CommandButton(Dlg(), nCommand)->text();
        QCOMPARE(captions, QStringList({"Disc", "Folder", "Clear", "Convert"}));

        // Neither Enter nor Esc closes the window.
        QTest::keyClick(m_pDlg, Qt::Key_Escape);
        QTest::keyClick(m_pDlg, Qt::Key_Return);
        QVERIFY(m_pDlg->isVisible());
    }

    void choosingACategoryRefillsThePresets()
    {
        auto *pCategory = FindCtrl<QComboBox>(m_pDlg, IDC_COMBO_CATEGORY);
        auto *pPreset = FindCtrl<QComboBox>(m_pDlg, IDC_COMBO_PRESET);
        pCategory->setFocus();
        QTest::keyClick(pCategory, Qt::Key_Down);
        QCOMPARE(pCategory->currentIndex(), 1);
        QStringList expected;
        for (int i = 0; i < m_catalogue.PresetCount(1); ++i)
            expected << m_catalogue.PresetName(1, i);
        QCOMPARE(Items(*pPreset), expected);
        QCOMPARE(pPreset->currentIndex(), 0);
        QCOMPARE(Dlg().m_strPresetArgs, m_catalogue.PresetArguments(1, 0));

        pPreset->setFocus();
        QTest::keyClick(pPreset, Qt::Key_Down);
        QCOMPARE(pPreset->currentIndex(), 1);
        QCOMPARE(Dlg().m_strPresetArgs, m_catalogue.PresetArguments(1, 1));

        const int nLast = m_catalogue.CategoryCount() - 1;
        pCategory->setFocus();
        QTest::keyClick(pCategory, Qt::Key_End);
        QCOMPARE(pCategory->currentText(), m_catalogue.CategoryName(nLast));
        QCOMPARE(pPreset->currentText(), m_catalogue.PresetName(nLast, 0));
        QCOMPARE(Dlg().m_strPresetArgs, m_catalogue.PresetArguments(nLast, 0));
    }

    void aboutBoxOpensOnF1()
    {
        QString strVersion;
        bool bFits = false;
        CModalWatcher watcher([&](QDialog *pDlg) {
            auto *pText = FindCtrl<QLabel>(pDlg, IDC_ABOUT_VERSION);
            if (pText) {
                strVersion = pText->text();
                bFits = pText->fontMetrics().horizontalAdvance(strVersion) <= pText->width();
            }
            QTest::mouseClick(FindCtrl<QPushButton>(pDlg, IDOK), Qt::LeftButton);
        });
        QTest::keyClick(m_pDlg, Qt::Key_F1);
        QTRY_COMPARE(watcher.m_seen.size(), 1);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(watcher.m_seen[0].strTitle, QStringLiteral("About VelkoDVDRipper"));
        QCOMPARE(strVersion, QStringLiteral("Velko Free DVD Ripper, version 1.0"));
        QVERIFY(bFits);
        QVERIFY(m_pDlg->isVisible());
    }

    void convertChecksTheFolderThenTheTicks_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QString>("message");
        const QString invalid = QStringLiteral("Destination folder is invalid.");
        QTest::newRow("missing folder, nothing ticked") << "missing" << false << invalid;
        QTest::newRow("empty text") << "" << true << invalid;
        QTest::newRow("a file") << "file.txt" << true << invalid;
        QTest::newRow("on a disc") << "disc/Videos" << true << invalid;
        QTest::newRow("nothing ticked") << "out" << false << "No items were selected!\n";
        // Beside the disc's mount point, not below it.
        QTest::newRow("next to a disc") << "disc2" << false << "No items were selected!\n";
    }

    void convertChecksTheFolderThenTheTicks()
    {
        QFETCH(QString, folder);
        QFETCH(bool, tick);
        QFETCH(QString, message);
        const QString root = m_work.path();
        QVERIFY(QDir().mkpath(root + "/out") && QDir().mkpath(root + "/disc/Videos") &&
                QDir().mkpath(root + "/disc2"));
        QFile file(root + "/file.txt");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        SetDiscDriveSource([root] {
            return QList<CDiscDrive>{{root + "/disc", "MOVIE (/dev/sr0)"}};
        });

        Edit(m_pDlg, IDC_OUTPUT_FOLDER)->setText(folder.isEmpty() ? folder : root + "/" + folder);
        AddThreeTitles();
        if (tick)
            ClickCheckBox(Dlg().m_listTitles, 1);

        CModalWatcher watcher([](QDialog *pDlg) { Answer(pDlg, QMessageBox::Ok); });
        ClickCommand(Dlg(), ID_CONVERT);
        QCOMPARE(watcher.m_seen.size(), 1);
        QCOMPARE(watcher.m_seen[0].strTitle, kCaption);
        QCOMPARE(watcher.m_seen[0].strText, message);
        QCOMPARE(watcher.m_seen[0].icon, QMessageBox::NoIcon);
    }

    void convertWithoutTitlesDoesNothing()
    {
        CModalWatcher watcher([](QDialog *pDlg) { pDlg->reject(); });
        Edit(m_pDlg, IDC_OUTPUT_FOLDER)->setText(m_work.path() + "/missing");
        ClickCommand(Dlg(), ID_CONVERT);
        QTest::qWait(200);
        QCOMPARE(watcher.m_seen.size(), 0);
    }

    void clearAndReplacingTheSource()
    {
        AddThreeTitles();
        ClickCommand(Dlg(), ID_CLEAR);
        QCOMPARE(Dlg().m_listTitles.rowCount(), 0);

        // A second source replaces the first only after a Yes.
        AddThreeTitles();
        QList<QMessageBox::StandardButton> answers{QMessageBox::No, QMessageBox::Yes};
        QString strStartFolder;
        CModalWatcher watcher([&](QDialog *pDlg) {
            if (auto *pFolderDlg = qobject_cast<CSelectDVDDirDlg *>(pDlg)) {
                strStartFolder = pFolderDlg->m_strFolder;
                QTest::mouseClick(FindCtrl<QPushButton>(pDlg, IDCANCEL), Qt::LeftButton);
            } else if (!answers.isEmpty()) {
                Answer(pDlg, answers.takeFirst());
            }
        });
        ClickCommand(Dlg(), ID_ADD_FROM_FOLDER);
        QCOMPARE(Dlg().m_listTitles.rowCount(), 3);
        QCOMPARE(watcher.m_seen.size(), 1);
        QCOMPARE(watcher.m_seen[0].strTitle, kCaption);
        QCOMPARE(watcher.m_seen[0].strText,
                 QStringLiteral("You can add only one media source!\nIf you continue, the "
                                "previously added will be removed.\nAre you sure that you want "
                                "to continue?"));
        QCOMPARE(watcher.m_seen[0].icon, QMessageBox::Warning);

        // Yes empties the list even though the folder dialog is then cancelled.
        ClickCommand(Dlg(), ID_ADD_FROM_FOLDER);
        QCOMPARE(watcher.m_seen.size(), 3);
        QCOMPARE(watcher.m_seen[2].strTitle, QStringLiteral("Select DVD Folder"));
        QCOMPARE(strStartFolder, Documents());
        QCOMPARE(Dlg().m_listTitles.rowCount(), 0);

        // An empty list asks nothing; the disc dialog offers only discs with
        // something on them.
        const QString root = m_work.path();
        QVERIFY(QDir().mkpath(root + "/empty-drive") && QDir().mkpath(root + "/movie/VIDEO_TS"));
        QFile title(root + "/movie/VIDEO_TS/VTS_01_1.VOB");
        QVERIFY(title.open(QIODevice::WriteOnly));
        title.close();
        SetDiscDriveSource([root] {
            return QList<CDiscDrive>{{root + "/empty-drive", "(/dev/sr0)"},
                                     {root + "/movie", "MOVIE (/dev/sr1)"}};
        });
        QStringList offered;
        CModalWatcher discWatcher([&](QDialog *pDlg) {
            if (auto *pCombo = FindCtrl<QComboBox>(pDlg, CSelectDVDDiscDlg::IDC_DISC))
                offered = Items(*pCombo);
            QTest::mouseClick(FindCtrl<QPushButton>(pDlg, IDCANCEL), Qt::LeftButton);
        });
        ClickCommand(Dlg(), ID_ADD_FROM_DISC);
        QCOMPARE(discWatcher.m_seen.size(), 1);
        QCOMPARE(discWatcher.m_seen[0].strTitle, QStringLiteral("Select DVD disc"));
        QCOMPARE(offered, QStringList{"MOVIE (/dev/sr1)"});
    }

    void foldersReachTheProfileWhenTheWindowCloses()
    {
        const QString strOutput = m_work.path() + "/chosen-output";
        const QString strSnapshots = m_work.path() + "/chosen-snapshots";
        QVERIFY(QDir().mkpath(strOutput) && QDir().mkpath(strSnapshots));
        const QString strDefaultSnapshots = Edit(m_pDlg, IDC_SNAPSHOT_FOLDER)->text();

        QStringList choices{strOutput, QString(), strSnapshots};
        CModalWatcher watcher([&](QDialog *pDlg) { ChooseFolder(pDlg, choices.takeFirst()); });
        QTest::mouseClick(FindCtrl<QPushButton>(m_pDlg, IDC_BROWSE_OUTPUT), Qt::LeftButton);
        QCOMPARE(Edit(m_pDlg, IDC_OUTPUT_FOLDER)->text(), strOutput);
        // A cancelled browser changes nothing.
        QTest::mouseClick(FindCtrl<QPushButton>(m_pDlg, IDC_BROWSE_SNAPSHOT), Qt::LeftButton);
        QCOMPARE(Edit(m_pDlg, IDC_SNAPSHOT_FOLDER)->text(), strDefaultSnapshots);
        QTest::mouseClick(FindCtrl<QPushButton>(m_pDlg, IDC_BROWSE_SNAPSHOT), Qt::LeftButton);
        QCOMPARE(Edit(m_pDlg, IDC_SNAPSHOT_FOLDER)->text(), strSnapshots);
        QCOMPARE(watcher.m_seen.size(), 3);

        // "Open" shows the folder in the file manager.
        QTest::mouseClick(FindCtrl<QPushButton>(m_pDlg, IDC_OPEN_OUTPUT), Qt::LeftButton);
        QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(strOutput)});
        m_opened.clear();

        CAppProfile profile;
        QVERIFY(!profile.HasProfileValue(QString(), QStringLiteral("OutputPath")));
        QVERIFY(m_pDlg->close());
        QVERIFY(!m_pDlg->isVisible());
        QCOMPARE(g_pOptions, nullptr);
        QCOMPARE(profile.GetProfileString(QString(), QStringLiteral("OutputPath")), strOutput);
        QCOMPARE(profile.GetProfileString(QString(), QStringLiteral("SnapshotPath")), strSnapshots);
        QCOMPARE(profile.GetProfileString(QString(), QStringLiteral("InitDirectory")), Documents());
        QVERIFY(profile.HasProfileValue(QString(), QStringLiteral("Right")));
    }
};

VELKO_TEST_MAIN(TestMainWnd)
#include "tst_mainwnd.moc"
