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
// Runs the dialog with the given drive lists and drives it once it shows (it
// tests the first disc before showing, and queued calls run during that
// test). A dialog still open after 20 s is cancelled.
int Drive(CSelectDVDDiscDlg &dlg, const QStringList &names, const QStringList &roots,
          const std::function<void(QComboBox *, QPushButton *)> &steps)
{
    dlg.m_pDiscNames = &names;
    dlg.m_pDiscRoots = &roots;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dlg, [&] {
        if (!dlg.isVisible())
            return;
        poll.stop();
        if (QTest::qWaitForWindowActive(&dlg))
            steps(FindCtrl<QComboBox>(&dlg, CSelectDVDDiscDlg::IDC_DISC),
                  FindCtrl<QPushButton>(&dlg, IDOK));
    });
    poll.start(20);
    QTimer::singleShot(20000, &dlg, [&] { dlg.done(-1); });
    return dlg.DoModal();
}

// "selected entry of shown entries: OK or -"
QString State(QComboBox *pCombo, QPushButton *pOk)
{
    QStringList items;
    for (int i = 0; i < pCombo->count(); ++i)
        items << pCombo->itemText(i);
    return QStringLiteral("%1 of %2: %3")
        .arg(pCombo->currentText(), items.join(", "), pOk->isEnabled() ? "OK" : "-");
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
        QVERIFY(MakeTree(m_root.path(), {"audio/Track01.cda", "movie/VIDEO_TS/VIDEO_TS.VOB",
                                         "movie/VIDEO_TS/VTS_01_1.VOB"}));
        QVERIFY(QDir().mkpath(Sub("empty")));
    }

    void cleanupTestCase() { SetDiscDriveSource({}); }

    void offersTheReadableDiscsAndAcceptsOnlyOneWithTitles()
    {
        SetDiscDriveSource([this] {
            return QList<CDiscDrive>{{Sub("audio"), "AUDIO_CD (/dev/sr0)"},
                                     {Sub("empty"), "/dev/sr1"},
                                     {Sub("movie"), "MY_MOVIE (/dev/sr2)"},
                                     {Sub("gone"), "OLD_DISC (/dev/sr3)"}};
        });
        QStringList names;
        QStringList roots;
        FindDiscDrives(names, roots);
        QCOMPARE(roots, (QStringList{Sub("audio"), Sub("movie")}));

        CMessageBoxCloser closer;
        CSelectDVDDiscDlg dlg;
        QStringList seen;
        const int result = Drive(dlg, names, roots, [&](QComboBox *pCombo, QPushButton *pOk) {
            seen << State(pCombo, pOk);
            QTest::keyClick(pCombo, Qt::Key_Down);
            seen << State(pCombo, pOk);
            QTest::keyClick(pCombo, Qt::Key_Up);
            seen << State(pCombo, pOk);
            QTest::keyClick(pCombo, Qt::Key_Down);
            QTest::mouseClick(pOk, Qt::LeftButton);
        });
        QCOMPARE(result, IDOK);
        QCOMPARE(dlg.m_nSelected, 1);
        QCOMPARE(seen, (QStringList{
                           "AUDIO_CD (/dev/sr0) of AUDIO_CD (/dev/sr0), MY_MOVIE (/dev/sr2): -",
                           "MY_MOVIE (/dev/sr2) of AUDIO_CD (/dev/sr0), MY_MOVIE (/dev/sr2): OK",
                           "AUDIO_CD (/dev/sr0) of AUDIO_CD (/dev/sr0), MY_MOVIE (/dev/sr2): -"}));
        QVERIFY(closer.m_seen.isEmpty());

        // A lone DVD is ready at once.
        CSelectDVDDiscDlg lone;
        lone.m_nSelected = -1;
        const int loneResult =
            Drive(lone, names.mid(1), roots.mid(1),
                  [](QComboBox *, QPushButton *pOk) { QTest::mouseClick(pOk, Qt::LeftButton); });
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
        QString seen;
        const int result = Drive(dlg, names, roots, [&](QComboBox *pCombo, QPushButton *pOk) {
            seen = State(pCombo, pOk);
            QTest::keyClick(&dlg, Qt::Key_Escape);
        });
        QCOMPARE(result, IDCANCEL);
        QCOMPARE(seen, " of : -");
    }

    void namesAndKindsOfMountedVolumes()
    {
        QVERIFY(IsOpticalVolume("/dev/sr0", "iso9660"));
        QVERIFY(IsOpticalVolume("/dev/cdrom1", "auto"));
        QVERIFY(IsOpticalVolume("/dev/loop3", "udf")); // a mounted disc image
        QVERIFY(!IsOpticalVolume("/dev/sda1", "ext4"));
        QCOMPARE(DiscDisplayName("MY_MOVIE", "/dev/sr0"), "MY_MOVIE (/dev/sr0)");
        QCOMPARE(DiscDisplayName(QString(), "/dev/sr0"), "/dev/sr0");
    }
};

VELKO_TEST_MAIN(TestDVDDiscDlg)
#include "tst_dvddiscdlg.moc"
