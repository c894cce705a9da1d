#include "AppProfile.h"
#include "MainWnd.h"
#include "Options.h"
#include "TestHome.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWidget>

class TestOptions : public QObject
{
    Q_OBJECT

    static QString Documents()
    {
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    static QString Pictures()
    {
        return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    }
    static int StoredInt(const char *pszEntry)
    {
        return CAppProfile().GetProfileInt("", pszEntry, -1);
    }
    static void StoreEdges(int left, int top, int right, int bottom)
    {
        CAppProfile profile;
        profile.WriteProfileInt("", "Left", left);
        profile.WriteProfileInt("", "Top", top);
        profile.WriteProfileInt("", "Right", right);
        profile.WriteProfileInt("", "Bottom", bottom);
    }

    std::unique_ptr<QWidget> m_pWnd;

    void ShowMainWindow(const QPoint &pos)
    {
        m_pWnd = std::make_unique<QWidget>();
        m_pWnd->resize(300, 200);
        m_pWnd->move(pos);
        m_pWnd->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWnd.get()));
        g_pMainWnd = m_pWnd.get();
    }

private slots:
    void init()
    {
        CTestHome::ClearProfile();
        QDir(Documents()).removeRecursively();
        QDir(Pictures()).removeRecursively();
    }

    void cleanup()
    {
        m_pWnd.reset();
        QVERIFY(g_pMainWnd.isNull()); // the pointer lets go of a destroyed window
    }

    void profileIsTheApplicationsOwnFile()
    {
        CAppProfile().WriteProfileString("", "OutputPath", "/v");
        CAppProfile().WriteProfileInt("XFolderDialog", "ViewMode", -28747);
        const QString file =
            qEnvironmentVariable("XDG_CONFIG_HOME") + "/Local AppWizard-Generated Applications/" +
            QFileInfo(QCoreApplication::applicationFilePath()).fileName() + ".conf";
        QCOMPARE(CAppProfile().FileName(), file);
        QFile conf(file);
        QVERIFY(conf.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(conf.readAll());
        QVERIFY(text.contains("[General]\nOutputPath=/v")); // the top level
        QVERIFY(text.contains("[XFolderDialog]\nViewMode=-28747"));
        QCOMPARE(CAppProfile().GetProfileInt("XFolderDialog", "ViewMode", 0), -28747);
        QCOMPARE(CAppProfile().GetProfileInt("", "OutputPath", 7), 7); // not a number
    }

    void firstRunFillsInDefaultsAndCreatesFolders()
    {
        ShowMainWindow(QPoint(150, 100));
        const QRect before = m_pWnd->frameGeometry();
        QVERIFY(!Documents().isEmpty());
        COptions options;
        options.LoadPaths();
        options.RestorePlacement();
        QCOMPARE(options.m_strOutputPath, Documents() + "/VelkoFreeVideos");
        QCOMPARE(options.m_strSnapshotPath, Pictures());
        QCOMPARE(options.m_strInitDirectory, Documents());
        QVERIFY(QFileInfo(options.m_strOutputPath).isDir());
        QVERIFY(QFileInfo(options.m_strSnapshotPath).isDir());
        QCOMPARE(m_pWnd->frameGeometry(), before);                 // nothing stored: not moved
        QVERIFY(!CAppProfile().HasProfileValue("", "OutputPath")); // written only at exit
    }

    void storedPathsAreUsedUnchanged()
    {
        QTemporaryDir dir;
        const QString gone = dir.path() + "/deleted/videos";
        const QString odd = " /media/My Pictures, 2024; #1 \"best\" Ärger/ ";
        CAppProfile().WriteProfileString("", "OutputPath", gone);
        CAppProfile().WriteProfileString("", "SnapshotPath", odd);
        CAppProfile().WriteProfileString("", "InitDirectory", "/mnt/dvd/VIDEO_TS/");
        COptions options;
        options.LoadPaths();
        QCOMPARE(options.m_strOutputPath, gone);
        QCOMPARE(options.m_strSnapshotPath, odd);
        QCOMPARE(options.m_strInitDirectory, QString("/mnt/dvd/VIDEO_TS/"));
        QVERIFY(!QFileInfo::exists(gone)); // not re-created
        QVERIFY(!QFileInfo::exists(Pictures()));
    }

    void savedPathsComeBackExactly()
    {
        COptions saved;
        saved.m_strOutputPath = "/home/u/Videos, converted; #2 \"new\"";
        saved.m_strSnapshotPath = "/home/u/Bilder/Schnappschüsse";
        saved.m_strInitDirectory = "/media/u/MY_DVD/VIDEO_TS";
        saved.SavePaths();
        COptions loaded;
        loaded.LoadPaths();
        QCOMPARE(loaded.m_strOutputPath, saved.m_strOutputPath);
        QCOMPARE(loaded.m_strSnapshotPath, saved.m_strSnapshotPath);
        QCOMPARE(loaded.m_strInitDirectory, saved.m_strInitDirectory);
    }

    void restorePlacement_data()
    {
        QTest::addColumn<QPoint>("topLeft");
        QTest::addColumn<int>("right");
        QTest::addColumn<QPoint>("expected");
        const QPoint unmoved(150, 100); // where the window was shown
        QTest::newRow("stored position") << QPoint(100, 80) << 900 << QPoint(100, 80);
        QTest::newRow("left edge off screen") << QPoint(-8, 20) << 1000 << QPoint(0, 20);
        QTest::newRow("top edge off screen") << QPoint(40, -5) << 500 << QPoint(40, 0);
        QTest::newRow("right plus left is zero") << QPoint(-100, 50) << 100 << unmoved;
        QTest::newRow("minimised at exit") << QPoint(-32000, -32000) << -31840 << QPoint(0, 0);
        QTest::newRow("corner on no screen") << QPoint(9000, 9000) << 9600 << unmoved;
    }

    void restorePlacement()
    {
        QFETCH(QPoint, topLeft);
        QFETCH(int, right);
        QFETCH(QPoint, expected);
        StoreEdges(topLeft.x(), topLeft.y(), right, 1); // Bottom plays no part
        ShowMainWindow(QPoint(150, 100));
        const QSize size = m_pWnd->frameGeometry().size();
        COptions().RestorePlacement();
        QCOMPARE(m_pWnd->frameGeometry().topLeft(), expected);
        QCOMPARE(m_pWnd->frameGeometry().size(), size);
    }

    void savePlacementWritesTheFrameEdges()
    {
        ShowMainWindow(QPoint(120, 90));
        const QRect frame = m_pWnd->frameGeometry();
        COptions options;
        options.SavePlacement();
        QCOMPARE(StoredInt("Maximized"), 0);
        QCOMPARE(StoredInt("Left"), frame.left());
        QCOMPARE(StoredInt("Top"), frame.top());
        QCOMPARE(StoredInt("Right"), frame.left() + frame.width());
        QCOMPARE(StoredInt("Bottom"), frame.top() + frame.height());
        m_pWnd->move(300, 250);
        options.RestorePlacement(); // the next start puts it back
        QCOMPARE(m_pWnd->frameGeometry().topLeft(), frame.topLeft());
    }

    void maximisedExitKeepsTheEarlierPosition()
    {
        StoreEdges(10, 20, 310, 220);
        ShowMainWindow(QPoint(150, 100));
        m_pWnd->showMaximized();
        QTRY_VERIFY(m_pWnd->isMaximized());
        COptions options;
        options.SavePlacement();
        QVERIFY(StoredInt("Maximized") != 0);
        QCOMPARE(QList<int>({StoredInt("Left"), StoredInt("Top"), StoredInt("Right"),
                             StoredInt("Bottom")}),
                 QList<int>({10, 20, 310, 220}));

        ShowMainWindow(QPoint(150, 100)); // next start: stored place, not maximised
        options.RestorePlacement();
        QCOMPARE(m_pWnd->frameGeometry().topLeft(), QPoint(10, 20));
        QVERIFY(!m_pWnd->isMaximized());
    }
};

VELKO_TEST_MAIN(TestOptions)
#include "tst_options.moc"
