// The conversion dialog around an engine whose converter cannot be started:
// every job ends at once, so the end of a run can be met at any moment.
#include "AppTestSupport.h"
#include "Resource.h"
#include "TestHome.h"

#include <QPushButton>

class TestConvertDlg : public QObject
{
    Q_OBJECT

private slots:
    void aStopAnsweredAfterTheEndChangesNothing()
    {
        CConvertDlg dlg;
        dlg.m_engine.m_converterPath = QStringLiteral("/nonexistent/torvane");
        dlg.m_engine.m_outputFolder = QDir::tempPath();
        dlg.m_engine.m_extension = QStringLiteral("avi");
        dlg.m_engine.addJob(QStringLiteral("/nonexistent/VIDEO_TS/VTS_01_1.VOB"));

        bool bOpenWhileAsking = false;
        CModalWatcher watcher([&](QDialog *pDlg) {
            if (qobject_cast<QMessageBox *>(pDlg)) {
                // The run ends while the question is open; the dialog waits
                // for the answer before it closes.
                if (QTest::qWaitFor([&] { return dlg.m_engine.m_state == StateFinished; }, 30000)) {
                    QTest::qWait(700);
                    bOpenWhileAsking = dlg.isVisible();
                }
                Answer(pDlg, QMessageBox::Yes);
            } else {
                QTest::mouseClick(FindCtrl<QPushButton>(pDlg, IDC_CONVERT_STOP), Qt::LeftButton);
            }
        });
        QCOMPARE(dlg.DoModal(), IDOK);
        QVERIFY(!watcher.m_bTimedOut);
        QVERIFY(bOpenWhileAsking);
        QCOMPARE(dlg.m_engine.m_state.load(), int(StateFinished));
        QCOMPARE(watcher.Texts(), QStringList({"", "Are you sure that you want to stop?"}));
    }
};

VELKO_TEST_MAIN(TestConvertDlg)
#include "tst_convertdlg.moc"
