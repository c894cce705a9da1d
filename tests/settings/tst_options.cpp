#include "AppProfile.h"
#include "Options.h"
#include "TestHome.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

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

private slots:
    void init()
    {
        CTestHome::ClearProfile();
        QDir(Documents()).removeRecursively();
        QDir(Pictures()).removeRecursively();
    }

    void profileIsTheApplicationsOwnFile()
    {
        CAppProfile().WriteProfileString("", "OutputPath", "/v");
        CAppProfile().WriteProfileInt("XFolderDialog", "ViewMode", -28747);
        // The same name whatever the executable is called (here tst_options).
        const QString file = qEnvironmentVariable("XDG_CONFIG_HOME") +
                             "/Local AppWizard-Generated Applications/VelkoFreeDVDRipper.conf";
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
        QVERIFY(!Documents().isEmpty());
        COptions options;
        options.LoadPaths();
        QCOMPARE(options.m_strOutputPath, Documents() + "/VelkoFreeVideos");
        QCOMPARE(options.m_strSnapshotPath, Pictures());
        QCOMPARE(options.m_strInitDirectory, Documents());
        QVERIFY(QFileInfo(options.m_strOutputPath).isDir());
        QVERIFY(QFileInfo(options.m_strSnapshotPath).isDir());
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
};

VELKO_TEST_MAIN(TestOptions)
#include "tst_options.moc"
