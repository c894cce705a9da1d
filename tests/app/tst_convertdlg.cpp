// The conversion dialog around the stand-in converter, which converts until
// the test opens its gate, so that the end of a run can be met at any moment.
#include "AppTestSupport.h"
#include "Fixture.h"
#include "Resource.h"
#include "TestHome.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

// The dialog with its window timer in reach.
class CTickedConvertDlg : public CConvertDlg
{
public:
    using CConvertDlg::m_timer;
};

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
        CTickedConvertDlg dlg;
        dlg.m_engine.m_converterPath = testsupport::binFile(QStringLiteral("standin_converter"));
        dlg.m_engine.m_outputFolder = dir.path();
        dlg.m_engine.m_extension = QStringLiteral("avi");
        dlg.m_engine.addJob(dir.filePath(QStringLiteral("VTS_01_1.VOB")));

        bool bOpenWhileAsking = false;
        CModalWatcher watcher([&](QDialog *pDlg) {
            if (qobject_cast<QMessageBox *>(pDlg)) {
                // The run ends while the question is open; the dialog waits
                // for the answer before it closes, at its next tick too.
                QFile(strGate).open(QIODevice::WriteOnly);
                if (QTest::qWaitFor([&] { return dlg.m_engine.m_state == StateFinished; }, 30000)) {
                    QSignalSpy ticks(&dlg.m_timer, &QTimer::timeout);
                    bOpenWhileAsking = ticks.wait(5000) && dlg.isVisible();
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
