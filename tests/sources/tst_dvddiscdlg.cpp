#include "ControlId.h"
#include "DVDDiscDlg.h"
#include "DialogDriver.h"
#include "DiscDrives.h"
#include "TestHome.h"
#include "TitleTree.h"

#include <QComboBox>
#include <QTemporaryDir>

namespace
{
QComboBox *Combo(CSelectDVDDiscDlg &dlg)
{
    return FindCtrl<QComboBox>(&dlg, CSelectDVDDiscDlg::IDC_DISC);
}

QPushButton *Ok(CSelectDVDDiscDlg &dlg)
{
    return FindCtrl<QPushButton>(&dlg, IDOK);
}

QStringList Items(QComboBox *pCombo)
{
    QStringList items;
    for (int i = 0; i < pCombo->count(); ++i)
        items << pCombo->itemText(i);
    return items;
}

// DriveModal for this dialog, whose steps wait until the dialog shows: the
// dialog tests the first disc before it shows, and queued calls run during
// that test.
int DriveShown(CSelectDVDDiscDlg &dlg, const std::function<void()> &steps, bool &bTimedOut)
{
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dlg, [&] {
        if (!dlg.isVisible())
            return;
        poll.stop();
        if (QTest::qWaitForWindowActive(&dlg))
            steps();
    });
    poll.start(20);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &dlg, [&] {
        bTimedOut = true;
        dlg.reject();
    });
    watchdog.start(20000);
    return dlg.DoModal();
}
} // namespace

class TestDVDDiscDlg : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;

    QString Sub(const QString &strName) const { return m_root.path() + QLatin1Char('/') + strName; }

private slots:
    void initTestCase()
    {
        // Stand-in disc roots: an audio disc, a DVD-Video disc, a drive whose
        // mount point is there but empty, and one whose mount point is gone.
        QVERIFY(MakeTree(m_root.path(),
                         {"audio/Track01.cda", "audio/Track02.cda", "movie/VIDEO_TS/VIDEO_TS.VOB",
                          "movie/VIDEO_TS/VTS_01_1.VOB", "movie/AUDIO_TS/.keep"}));
        QVERIFY(QDir().mkpath(Sub("empty")));
        SetDiscDriveSource([this] {
            return QList<CDiscDrive>{{Sub("audio"), "AUDIO_CD (/dev/sr0)"},
                                     {Sub("empty"), "/dev/sr1"},
                                     {Sub("movie"), "MY_MOVIE (/dev/sr2)"},
                                     {Sub("gone"), "OLD_DISC (/dev/sr3)"}};
        });
    }

    void cleanupTestCase() { SetDiscDriveSource({}); }

    void offersTheReadableDiscsAndAcceptsOnlyOneWithTitles()
    {
        QStringList names;
        QStringList roots;
        FindDiscDrives(names, roots);
        QCOMPARE(names, (QStringList{"AUDIO_CD (/dev/sr0)", "MY_MOVIE (/dev/sr2)"}));
        QCOMPARE(roots, (QStringList{Sub("audio"), Sub("movie")}));

        CMessageBoxCloser closer;
        CSelectDVDDiscDlg dlg;
        dlg.m_pDiscNames = &names;
        dlg.m_pDiscRoots = &roots;
        QStringList shown;
        int firstSelected = -1;
        bool okAtFirst = true;
        bool okOnMovie = false;
        bool okBackOnAudio = true;
        bool timedOut = false;
        const int result = DriveShown(
            dlg,
            [&] {
                shown = Items(Combo(dlg));
                firstSelected = Combo(dlg)->currentIndex();
                okAtFirst = Ok(dlg)->isEnabled();
                QTest::keyClick(Combo(dlg), Qt::Key_Down);
                okOnMovie = Ok(dlg)->isEnabled();
                QTest::keyClick(Combo(dlg), Qt::Key_Up);
                okBackOnAudio = Ok(dlg)->isEnabled();
                QTest::keyClick(Combo(dlg), Qt::Key_Down);
                QTest::mouseClick(Ok(dlg), Qt::LeftButton);
            },
            timedOut);
        QCOMPARE(result, IDOK);
        QCOMPARE(shown, names);
        QCOMPARE(firstSelected, 0);
        QVERIFY(!okAtFirst);
        QVERIFY(okOnMovie);
        QVERIFY(!okBackOnAudio);
        QCOMPARE(dlg.m_nSelected, 1);
        QVERIFY(closer.m_seen.isEmpty());

        // A lone DVD is ready at once.
        const QStringList movieName = names.mid(1);
        const QStringList movieRoot = roots.mid(1);
        CSelectDVDDiscDlg lone;
        lone.m_pDiscNames = &movieName;
        lone.m_pDiscRoots = &movieRoot;
        lone.m_nSelected = -1;
        const int loneResult = DriveShown(
            lone, [&] { QTest::mouseClick(Ok(lone), Qt::LeftButton); }, timedOut);
        QCOMPARE(loneResult, IDOK);
        QCOMPARE(lone.m_nSelected, 0);
    }

    void withoutADiscOnlyCancelIsLeft()
    {
        SetDiscDriveSource([this] {
            return QList<CDiscDrive>{{Sub("empty"), "/dev/sr1"}, {Sub("gone"), "/dev/sr3"}};
        });
        QStringList names{"stale"};
        QStringList roots{"stale"};
        FindDiscDrives(names, roots);
        QVERIFY(names.isEmpty() && roots.isEmpty());

        CSelectDVDDiscDlg dlg;
        dlg.m_pDiscNames = &names;
        dlg.m_pDiscRoots = &roots;
        int items = -1;
        bool timedOut = false;
        const int result = DriveShown(
            dlg,
            [&] {
                items = Combo(dlg)->count();
                QTest::keyClick(&dlg, Qt::Key_Escape);
            },
            timedOut);
        QVERIFY(!timedOut);
        QCOMPARE(result, IDCANCEL);
        QCOMPARE(items, 0);
        QVERIFY(!Ok(dlg)->isEnabled());
    }

    void namesAndKindsOfMountedVolumes()
    {
        QVERIFY(IsOpticalVolume("/dev/sr0", "iso9660"));
        QVERIFY(IsOpticalVolume("/dev/cdrom1", "auto"));
        QVERIFY(IsOpticalVolume("/dev/loop3", "udf")); // a mounted disc image
        QVERIFY(!IsOpticalVolume("/dev/sda1", "ext4"));
        QVERIFY(!IsOpticalVolume("/dev/nvme0n1p2", "vfat"));
        QCOMPARE(DiscDisplayName("MY_MOVIE", "/dev/sr0"), "MY_MOVIE (/dev/sr0)");
        QCOMPARE(DiscDisplayName(QString(), "/dev/sr0"), "/dev/sr0");
    }
};

VELKO_TEST_MAIN(TestDVDDiscDlg)
#include "tst_dvddiscdlg.moc"
