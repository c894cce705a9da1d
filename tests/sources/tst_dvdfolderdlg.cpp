#include "ControlId.h"
#include "DVDFolderDlg.h"
#include "DialogDriver.h"
#include "TestHome.h"
#include "TitleTree.h"
#include "XFolderDialog.h"

#include <QComboBox>
#include <QTemporaryDir>

class TestDVDFolderDlg : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    CSelectDVDDirDlg *m_pDlg = nullptr;

    QString Sub(const QString &strName) const { return m_root.path() + QLatin1Char('/') + strName; }

    // Clicks "Browse..." and, in the folder picker that opens, types strPath
    // and clicks OK; an empty strPath cancels the picker. Answers what the
    // user sees afterwards: "start folder of the picker | folder shown |
    // GetFolder() | OK or -", with paths relative to the test's tree. A picker
    // still open five seconds later is cancelled, so the test cannot hang.
    QString BrowseTo(const QString &strPath)
    {
        QString strStart = QStringLiteral("<no picker>");
        QTimer poll;
        connect(&poll, &QTimer::timeout, m_pDlg, [&] {
            auto *pPicker = m_pDlg->findChild<CXFolderDialog *>();
            if (!pPicker || !pPicker->isVisible())
                return;
            poll.stop();
            if (!QTest::qWaitForWindowActive(pPicker))
                return;
            strStart = pPicker->directory().absolutePath();
            QTimer::singleShot(5000, pPicker, &QDialog::reject);
            if (strPath.isEmpty()) {
                QTest::mouseClick(FindCtrl<QPushButton>(pPicker, IDCANCEL), Qt::LeftButton);
            } else {
                TypeInto(
                    FindCtrl<QComboBox>(pPicker, CXFolderDialog::IDC_FOLDER_HISTORY)->lineEdit(),
                    strPath);
                QTest::mouseClick(FindCtrl<QPushButton>(pPicker, IDOK), Qt::LeftButton);
            }
        });
        poll.start(20);
        QTest::mouseClick(FindCtrl<QPushButton>(m_pDlg, CSelectDVDDirDlg::IDC_BROWSE),
                          Qt::LeftButton);
        return State(strStart);
    }

    QString State(const QString &strStart) const
    {
        const QString prefix = m_root.path() + QLatin1Char('/');
        QStringList parts{strStart,
                          FindCtrl<QLineEdit>(m_pDlg, CSelectDVDDirDlg::IDC_FOLDER)->text(),
                          m_pDlg->GetFolder()};
        for (QString &part : parts)
            part.remove(prefix);
        parts << (FindCtrl<QPushButton>(m_pDlg, IDOK)->isEnabled() ? "OK" : "-");
        return parts.join(" | ");
    }

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

    // One user's session: a cancelled first browse, a folder above a DVD, one
    // with menus only (where Enter does nothing), lower-case names, the DVD's
    // own folder, and a cancelled picker that changes nothing.
    void acceptsOnlyAFolderWithTitles()
    {
        CMessageBoxCloser closer;
        CSelectDVDDirDlg dlg;
        m_pDlg = &dlg;
        dlg.m_strFolder = Sub("Start");
        QStringList seen;
        const int result = DriveModal(dlg, [&] {
            QTest::keyClicks(FindCtrl<QLineEdit>(&dlg, CSelectDVDDirDlg::IDC_FOLDER), "/typed");
            seen << State("fresh") << BrowseTo(QString()) << BrowseTo(Sub("Movies"))
                 << BrowseTo(Sub("Menus"));
            QTest::keyClick(FindCtrl<QLineEdit>(&dlg, CSelectDVDDirDlg::IDC_FOLDER),
                            Qt::Key_Return);
            seen << (dlg.isVisible() ? "open after Enter" : "closed by Enter")
                 << BrowseTo(Sub("Lower")) << BrowseTo(Sub("Movies/DISC/VIDEO_TS"))
                 << BrowseTo(QString());
            QTest::mouseClick(FindCtrl<QPushButton>(&dlg, IDOK), Qt::LeftButton);
        });
        QCOMPARE(result, IDOK);
        QCOMPARE(dlg.GetFolder(), Sub("Movies/DISC/VIDEO_TS"));
        const QStringList expected{
            "fresh |  | Start | -",
            "Start |  | Start | -",
            "Start | Movies | Movies | OK",
            "Movies | Menus |  | -",
            "open after Enter",
            "Menus | Lower |  | -",
            "Lower | Movies/DISC/VIDEO_TS | Movies/DISC/VIDEO_TS | OK",
            "Movies/DISC/VIDEO_TS | Movies/DISC/VIDEO_TS | Movies/DISC/VIDEO_TS | OK",
        };
        QCOMPARE(seen, expected);
        QVERIFY(closer.m_seen.isEmpty());
    }
};

VELKO_TEST_MAIN(TestDVDFolderDlg)
#include "tst_dvdfolderdlg.moc"
