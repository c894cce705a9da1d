// The conversion dialog around the stand-in converter, which converts until
// the test opens its gate, so that the end of a run can be met at any moment.
#include "AppTestSupport.h"
#include "Fixture.h"
#include "Resource.h"
#include "TestHome.h"

#include <QPushButton>
#include <QTemporaryDir>

class TestConvertDlg : public QObject
{
    Q_OBJECT

private slots:
    void aStopAnsweredAfterTheEndChangesNothing()
    {
        QTemporaryDir dir;
        const QString strGate = dir.filePath(QStringLiteral("gate"));
        qputenv("VELKO_STANDIN_MODE", "report");
        qputenv("VELKO_STANDIN_GATE", strGate.toUtf8());
        CConvertDlg dlg;
        dlg.m_engine.m_converterPath = testsupport::binFile(QStringLiteral("standin_converter"));
        dlg.m_engine.m_outputFolder = dir.path();
        dlg.m_engine.m_extension = QStringLiteral("avi");
        dlg.m_engine.addJob(dir.filePath(QStringLiteral("VTS_01_1.VOB")));

        bool bOpenWhileAsking = false;
        CModalWatcher watcher([&](QDialog *pDlg) {
            if (qobject_cast<QMessageBox *>(pDlg)) {
                // The run ends while the question is open; the dialog waits
                // for the answer before it closes.
                QFile(strGate).open(QIODevice::WriteOnly);
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
