#include "ControlId.h"
#include "DVDFolderDlg.h"
#include "DialogDriver.h"
#include "TestHome.h"
#include "TitleTree.h"
#include "XFolderDialog.h"

#include <QComboBox>
#include <QTemporaryDir>

namespace
{
QLineEdit *Edit(CSelectDVDDirDlg &dlg)
{
    return FindCtrl<QLineEdit>(&dlg, CSelectDVDDirDlg::IDC_FOLDER);
}

QPushButton *Ok(CSelectDVDDirDlg &dlg)
{
    return FindCtrl<QPushButton>(&dlg, IDOK);
}

// Clicks "Browse..." and, in the folder picker that opens, types strPath into
// its folder field and clicks its OK; an empty strPath cancels the picker.
// Answers the folder the picker opened in, or "<no picker>". A picker still
// open five seconds later is cancelled, so a test cannot hang on it.
QString BrowseTo(CSelectDVDDirDlg &dlg, const QString &strPath)
{
    QString strStart = QStringLiteral("<no picker>");
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dlg, [&] {
        auto *pPicker = dlg.findChild<CXFolderDialog *>();
        if (!pPicker || !pPicker->isVisible())
            return;
        poll.stop();
        if (!QTest::qWaitForWindowActive(pPicker))
            return;
        strStart = pPicker->directory().absolutePath();
        QPointer<CXFolderDialog> pGuard(pPicker);
        QTimer::singleShot(5000, [pGuard] {
            if (pGuard && pGuard->isVisible())
                pGuard->reject();
        });
        if (strPath.isEmpty()) {
            QTest::mouseClick(FindCtrl<QPushButton>(pPicker, IDCANCEL), Qt::LeftButton);
        } else {
            auto *pCombo = FindCtrl<QComboBox>(pPicker, CXFolderDialog::IDC_FOLDER_HISTORY);
            TypeInto(pCombo->lineEdit(), strPath);
            QTest::mouseClick(FindCtrl<QPushButton>(pPicker, IDOK), Qt::LeftButton);
        }
    });
    poll.start(20);
    QTest::mouseClick(FindCtrl<QPushButton>(&dlg, CSelectDVDDirDlg::IDC_BROWSE), Qt::LeftButton);
    return strStart;
}
} // namespace

class TestDVDFolderDlg : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;

    QString Sub(const QString &strName) const { return m_root.path() + QLatin1Char('/') + strName; }

private slots:
    void initTestCase()
    {
        CTestHome::ClearProfile();
        QVERIFY(MakeTree(m_root.path(),
                         {"Movies/DISC/VIDEO_TS/VIDEO_TS.VOB", "Movies/DISC/VIDEO_TS/VTS_01_0.VOB",
                          "Movies/DISC/VIDEO_TS/VTS_01_1.VOB", "Menus/VIDEO_TS/VIDEO_TS.VOB",
                          "Menus/VIDEO_TS/VTS_01_0.VOB", "Lower/VIDEO_TS/vts_01_1.vob",
                          "Start/readme.txt"}));
    }

    void opensEmptyAndBrowsesFromTheCallersFolder()
    {
        CMessageBoxCloser closer;
        CSelectDVDDirDlg dlg;
        dlg.m_strFolder = Sub("Start");
        QString text;
        bool okEnabled = true;
        QString start;
        bool timedOut = false;
        const int result = DriveModal(
            dlg,
            [&] {
                QTest::keyClicks(Edit(dlg), "/typed"); // the field takes no typing
                start = BrowseTo(dlg, QString());
                text = Edit(dlg)->text();
                okEnabled = Ok(dlg)->isEnabled();
                QTest::keyClick(&dlg, Qt::Key_Escape);
            },
            &timedOut);
        QVERIFY(!timedOut);
        QCOMPARE(result, IDCANCEL);
        QCOMPARE(start, Sub("Start"));
        QCOMPARE(text, QString());
        QVERIFY(!okEnabled);
        QVERIFY(closer.m_seen.isEmpty());
    }

    // One user's session: a folder above a DVD, one with menus only (where
    // Enter does nothing), lower-case names, the DVD's own folder, and a
    // cancelled picker that changes nothing.
    void acceptsOnlyAFolderWithTitles()
    {
        CMessageBoxCloser closer;
        CSelectDVDDirDlg dlg;
        dlg.m_strFolder = Sub("Start");
        struct Step {
            QString strStart, strText, strFolder;
            bool bOk;
        };
        QList<Step> steps;
        bool openAfterEnter = false;
        auto record = [&](const QString &start) {
            steps.append({start, Edit(dlg)->text(), dlg.GetFolder(), Ok(dlg)->isEnabled()});
        };
        const int result = DriveModal(dlg, [&] {
            record(BrowseTo(dlg, Sub("Movies")));
            record(BrowseTo(dlg, Sub("Menus")));
            QTest::mouseClick(Edit(dlg), Qt::LeftButton);
            QTest::keyClick(Edit(dlg), Qt::Key_Return);
            openAfterEnter = dlg.isVisible();
            record(BrowseTo(dlg, Sub("Lower")));
            record(BrowseTo(dlg, Sub("Movies/DISC/VIDEO_TS")));
            record(BrowseTo(dlg, QString()));
            QTest::mouseClick(Ok(dlg), Qt::LeftButton);
        });
        QCOMPARE(result, IDOK);
        QCOMPARE(dlg.GetFolder(), Sub("Movies/DISC/VIDEO_TS"));
        QVERIFY(openAfterEnter);
        QVERIFY(closer.m_seen.isEmpty());

        QCOMPARE(steps.size(), 5);
        const QString ts = Sub("Movies/DISC/VIDEO_TS");
        const QList<std::tuple<QString, QString, QString, bool>> expected{
            {Sub("Start"), Sub("Movies"), Sub("Movies"), true},
            {Sub("Movies"), Sub("Menus"), QString(), false},
            {Sub("Menus"), Sub("Lower"), QString(), false},
            {Sub("Lower"), ts, ts, true},
            {ts, ts, ts, true}, // cancelled: nothing changes
        };
        for (qsizetype i = 0; i < steps.size(); ++i) {
            const auto &[start, text, folder, ok] = expected[i];
            QCOMPARE(steps[i].strStart, start);
            QCOMPARE(steps[i].strText, text);
            QCOMPARE(steps[i].strFolder, folder);
            QCOMPARE(steps[i].bOk, ok);
        }
    }
};

VELKO_TEST_MAIN(TestDVDFolderDlg)
#include "tst_dvdfolderdlg.moc"
