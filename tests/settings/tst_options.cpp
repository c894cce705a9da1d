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

private:
    static QString Documents()
    {
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    static QString Pictures()
    {
        return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    }
    static void StoreEdges(int left, int top, int right, int bottom)
    {
        CAppProfile profile;
        profile.WriteProfileInt(QString(), QStringLiteral("Left"), left);
        profile.WriteProfileInt(QString(), QStringLiteral("Top"), top);
        profile.WriteProfileInt(QString(), QStringLiteral("Right"), right);
        profile.WriteProfileInt(QString(), QStringLiteral("Bottom"), bottom);
    }
    static int StoredInt(const char *pszEntry)
    {
        return CAppProfile().GetProfileInt(QString(), QLatin1String(pszEntry), -12345);
    }

    // A shown main window at a known place.
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
        {
            CAppProfile profile;
            profile.WriteProfileString(QString(), QStringLiteral("OutputPath"),
                                       QStringLiteral("/v"));
            profile.WriteProfileInt(QStringLiteral("XFolderDialog"), QStringLiteral("ViewMode"),
                                    28747);
        }
        const QString file = qEnvironmentVariable("XDG_CONFIG_HOME") +
                             QStringLiteral("/Local AppWizard-Generated Applications/") +
                             QFileInfo(QCoreApplication::applicationFilePath()).fileName() +
                             QStringLiteral(".conf");
        QCOMPARE(CAppProfile().FileName(), file);
        QFile conf(file);
        QVERIFY(conf.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(conf.readAll());
        // The top level holds the settings store's values; sections are groups.
        QVERIFY(text.contains(QStringLiteral("[General]\nOutputPath=/v")));
        QVERIFY(text.contains(QStringLiteral("[XFolderDialog]\nViewMode=28747")));
    }

    void profileValuesRoundTrip()
    {
        CAppProfile profile;
        profile.WriteProfileInt(QString(), QStringLiteral("Left"), -32000);
        profile.WriteProfileString(QString(), QStringLiteral("Word"), QStringLiteral("abc"));
        CAppProfile reread;
        QCOMPARE(reread.GetProfileInt(QString(), QStringLiteral("Left"), 0), -32000);
        QCOMPARE(reread.GetProfileInt(QString(), QStringLiteral("Word"), 7), 7);
        QCOMPARE(reread.GetProfileInt(QString(), QStringLiteral("Missing"), 7), 7);
        QCOMPARE(reread.GetProfileString(QStringLiteral("S"), QStringLiteral("Missing"),
                                         QStringLiteral("d")),
                 QStringLiteral("d"));
        reread.DeleteProfileValue(QString(), QStringLiteral("Word"));
        QVERIFY(!CAppProfile().HasProfileValue(QString(), QStringLiteral("Word")));
    }

    void firstRunFillsInDefaultsAndCreatesFolders()
    {
        QVERIFY(!Documents().isEmpty());
        COptions options;
        options.LoadPaths();
        QCOMPARE(options.m_strOutputPath, Documents() + QStringLiteral("/VelkoFreeVideos"));
        QCOMPARE(options.m_strSnapshotPath, Pictures());
        QCOMPARE(options.m_strInitDirectory, Documents());
        QVERIFY(QFileInfo(options.m_strOutputPath).isDir());
        QVERIFY(QFileInfo(options.m_strSnapshotPath).isDir());
        // Loading writes nothing: the profile is only written at exit.
        QVERIFY(CAppProfile().GetProfileString(QString(), QStringLiteral("OutputPath")).isEmpty());
    }

    void firstRunLeavesTheWindowWhereItIs()
    {
        ShowMainWindow(QPoint(150, 100));
        const QRect before = m_pWnd->frameGeometry();
        COptions options;
        options.LoadPaths();
        options.RestorePlacement();
        QCOMPARE(m_pWnd->frameGeometry(), before);
    }

    void storedPathsAreUsedUnchanged()
    {
        QTemporaryDir dir;
        const QString gone = dir.path() + QStringLiteral("/deleted/videos");
        const QString odd = QStringLiteral(" /media/My Pictures, 2024; #1 \"best\" Ärger/ ");
        {
            CAppProfile profile;
            profile.WriteProfileString(QString(), QStringLiteral("OutputPath"), gone);
            profile.WriteProfileString(QString(), QStringLiteral("SnapshotPath"), odd);
            profile.WriteProfileString(QString(), QStringLiteral("InitDirectory"),
                                       QStringLiteral("/mnt/dvd/VIDEO_TS/"));
        }
        COptions options;
        options.LoadPaths();
        QCOMPARE(options.m_strOutputPath, gone);
        QCOMPARE(options.m_strSnapshotPath, odd);
        QCOMPARE(options.m_strInitDirectory, QStringLiteral("/mnt/dvd/VIDEO_TS/"));
        QVERIFY(!QFileInfo::exists(gone)); // not re-created
        QVERIFY(!QFileInfo::exists(Documents() + QStringLiteral("/VelkoFreeVideos")));
        QVERIFY(!QFileInfo::exists(Pictures()));
    }

    void fileAtDefaultPathIsLeftAlone()
    {
        const QString output = Documents() + QStringLiteral("/VelkoFreeVideos");
        QVERIFY(QDir().mkpath(Documents()));
        QFile file(output);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
        file.close();

        COptions options;
        options.LoadPaths();
        QCOMPARE(options.m_strOutputPath, output);
        QVERIFY(QFileInfo(output).isFile());
        QCOMPARE(QFileInfo(output).size(), qint64(7));
    }

    void savedPathsComeBackExactly()
    {
        COptions saved;
        saved.m_strOutputPath = QStringLiteral("/home/u/Videos, converted; #2 \"new\"");
        saved.m_strSnapshotPath = QStringLiteral("/home/u/Bilder/Schnappschüsse");
        saved.m_strInitDirectory = QStringLiteral("/media/u/MY_DVD/VIDEO_TS");
        saved.SavePaths();

        COptions loaded;
        loaded.LoadPaths();
        QCOMPARE(loaded.m_strOutputPath, saved.m_strOutputPath);
        QCOMPARE(loaded.m_strSnapshotPath, saved.m_strSnapshotPath);
        QCOMPARE(loaded.m_strInitDirectory, saved.m_strInitDirectory);
    }

    void restorePlacement_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QPoint>("topLeft");
        QTest::addColumn<int>("right");
        QTest::addColumn<QPoint>("expected");

        const QPoint unmoved(150, 100); // where the window was shown
        QTest::newRow("nothing stored") << false << QPoint() << 0 << unmoved;
        QTest::newRow("stored position") << true << QPoint(100, 80) << 900 << QPoint(100, 80);
        QTest::newRow("left edge off screen") << true << QPoint(-8, 20) << 1000 << QPoint(0, 20);
        QTest::newRow("top edge off screen") << true << QPoint(40, -5) << 500 << QPoint(40, 0);
        QTest::newRow("right plus left is zero") << true << QPoint(-100, 50) << 100 << unmoved;
        QTest::newRow("minimised at exit")
            << true << QPoint(-32000, -32000) << -31840 << QPoint(0, 0);
        QTest::newRow("corner on no screen") << true << QPoint(9000, 9000) << 9600 << unmoved;
    }

    void restorePlacement()
    {
        QFETCH(bool, stored);
        QFETCH(QPoint, topLeft);
        QFETCH(int, right);
        QFETCH(QPoint, expected);

        if (stored)
            StoreEdges(topLeft.x(), topLeft.y(), right, 1); // Bottom plays no part
        ShowMainWindow(QPoint(150, 100));
        const QSize size = m_pWnd->frameGeometry().size();

        COptions options;
        options.RestorePlacement();
        QCOMPARE(m_pWnd->frameGeometry().topLeft(), expected);
        QCOMPARE(m_pWnd->frameGeometry().size(), size);
        QVERIFY(!m_pWnd->isMaximized());
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

        // and the next start puts the window back there
        m_pWnd->move(300, 250);
        options.RestorePlacement();
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
        QCOMPARE(StoredInt("Left"), 10);
        QCOMPARE(StoredInt("Top"), 20);
        QCOMPARE(StoredInt("Right"), 310);
        QCOMPARE(StoredInt("Bottom"), 220);

        // Next start: placed by the stored edges, not maximised.
        ShowMainWindow(QPoint(150, 100));
        options.RestorePlacement();
        QCOMPARE(m_pWnd->frameGeometry().topLeft(), QPoint(10, 20));
        QVERIFY(!m_pWnd->isMaximized());
    }
};

VELKO_TEST_MAIN(TestOptions)
#include "tst_options.moc"
