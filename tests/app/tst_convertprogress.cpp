// What the conversion dialog shows beside "Stop" while a converter stand-in
// reports its progress, and the message at the end of a run with failures.
#include "AppTestSupport.h"
#include "ConvertEng.h"
#include "Fixture.h"
#include "Resource.h"
#include "TestHome.h"

#include <QDesktopServices>
#include <QLabel>
#include <QTemporaryDir>
#include <QUrl>

namespace
{

// The full text of one of the dialog's lines (the label itself may be
// shortened to fit).
QString Line(QWidget *pDlg, int nId)
{
    auto *pLabel = FindCtrl<QLabel>(pDlg, nId);
    return pLabel ? pLabel->toolTip() : QStringLiteral("<no label %1>").arg(nId);
}

// A dialog whose tick, an hour, never comes while a test runs.
class CNoTickConvertDlg : public CConvertDlg
{
public:
    CNoTickConvertDlg() { m_timer.setInterval(3600 * 1000); }
};

class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> m_urls;

public slots:
    void open(const QUrl &url) { m_urls << url; }
};

} // namespace

class TestConvertProgress : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_gate;

    QString MakeSource(const QString &strName)
    {
        const QString strPath = m_dir.filePath(strName);
        QFile file(strPath);
        if (file.open(QIODevice::WriteOnly))
            file.write("not really video");
        return strPath;
    }

    void Prepare(CConvertDlg &dlg)
    {
        dlg.m_engine.m_converterPath = testsupport::binFile(QStringLiteral("standin_converter"));
        dlg.m_engine.m_outputFolder = m_dir.filePath(QStringLiteral("out"));
        QDir().mkpath(dlg.m_engine.m_outputFolder);
        dlg.m_engine.m_extension = QStringLiteral("avi");
        dlg.m_engine.m_arguments = QStringLiteral("-f avi");
    }

    // Runs the dialog; once its first line starts with strTitle, takes the
    // three lines and lets the stand-in finish.
    QStringList RunUntil(CConvertDlg &dlg, const QString &strTitle)
    {
        QStringList lines;
        QTimer::singleShot(0, &dlg, [&] {
            const bool bShown = QTest::qWaitFor(
                [&] { return Line(&dlg, IDC_CONVERT_TITLE).startsWith(strTitle); }, 20000);
            // One more tick, so that elapsed times have moved on from 0.
            QTest::qWait(350);
            if (bShown)
                lines =
                    QStringList{Line(&dlg, IDC_CONVERT_TITLE), Line(&dlg, IDC_CONVERT_TITLE_TIME),
                                Line(&dlg, IDC_CONVERT_RUN_TIME)};
            QFile gate(m_gate);
            gate.open(QIODevice::WriteOnly);
        });
        dlg.DoModal();
        return lines;
    }

private slots:
    void init()
    {
        m_gate = m_dir.filePath(QStringLiteral("gate"));
        QFile::remove(m_gate);
        QDir(m_dir.filePath(QStringLiteral("out"))).removeRecursively();
        qputenv("VELKO_STANDIN_MODE", "report");
        qputenv("VELKO_STANDIN_GATE", m_gate.toUtf8());
        qputenv("VELKO_STANDIN_REPORT", "frame=  500 fps= 50 q=2.0 size=  100kB "
                                        "time=00:00:20.00 bitrate=1.0kbits/s speed=2.00x");
        qunsetenv("VELKO_STANDIN_DURATION");
        qunsetenv("VELKO_STANDIN_FAIL");
    }

    void linesBesideStop()
    {
        CConvertDlg dlg;
        Prepare(dlg);
        // The first title's output exists and is kept, so the second is the
        // one converting; the third is 300 s long as the list shows it.
        dlg.m_engine.addJob(MakeSource(QStringLiteral("VTS_01_1.VOB")), 50);
        dlg.m_engine.addJob(MakeSource(QStringLiteral("VTS_02_1.VOB")), 90);
        dlg.m_engine.addJob(MakeSource(QStringLiteral("VTS_03_1.VOB")), 300);
        QFile kept(dlg.m_engine.m_outputFolder + QStringLiteral("/VTS_01_1.avi"));
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.close();

        const QStringList lines = RunUntil(dlg, QStringLiteral("Title 2 of 3"));
        QCOMPARE(lines.size(), 3);
        // 20 s of the probed 100 s; 80 s left at twice real time, and 300 s
        // more for the third title.
        QCOMPARE(lines[0], QStringLiteral("Title 2 of 3: 20 %, 50 fps, 2.00× real time"));
        QVERIFY2(QRegularExpression(QStringLiteral("^This title: 0:00:0\\d elapsed, 0:00:40 left$"))
                     .match(lines[1])
                     .hasMatch(),
                 qPrintable(lines[1]));
        QVERIFY2(QRegularExpression(QStringLiteral("^All titles: 0:00:0\\d elapsed, 0:03:10 left$"))
                     .match(lines[2])
                     .hasMatch(),
                 qPrintable(lines[2]));
    }

    void durationOfZero()
    {
        qputenv("VELKO_STANDIN_DURATION", "none");
        CConvertDlg dlg;
        Prepare(dlg);
        dlg.m_engine.addJob(MakeSource(QStringLiteral("VTS_01_1.VOB")));
        const QStringList lines = RunUntil(dlg, QStringLiteral("Title 1 of 1"));
        QCOMPARE(lines.size(), 3);
        // Without a length no percentage and no time left, but the speed.
        QCOMPARE(lines[0], QStringLiteral("Title 1 of 1: 0 %, 50 fps, 2.00× real time"));
        QVERIFY2(lines[1].endsWith(QStringLiteral(" elapsed, time left unknown")),
                 qPrintable(lines[1]));
        QVERIFY2(lines[2].endsWith(QStringLiteral(" elapsed, time left unknown")),
                 qPrintable(lines[2]));
    }

    void converterWithoutClock()
    {
        qputenv("VELKO_STANDIN_REPORT",
                "frame=    3 fps=1.5 q=2.0 size=  1kB bitrate=N/A speed=N/A");
        CConvertDlg dlg;
        Prepare(dlg);
        dlg.m_engine.addJob(MakeSource(QStringLiteral("VTS_01_1.VOB")), 100);
        const QStringList lines = RunUntil(dlg, QStringLiteral("Title 1 of 1"));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("Title 1 of 1: 0 %, 1.5 fps"));
        QVERIFY2(lines[1].endsWith(QStringLiteral(" elapsed, time left unknown")),
                 qPrintable(lines[1]));
    }

    void formatTime()
    {
        QCOMPARE(CConvertDlg::FormatTime(0), QStringLiteral("0:00:00"));
        QCOMPARE(CConvertDlg::FormatTime(59), QStringLiteral("0:00:59"));
        QCOMPARE(CConvertDlg::FormatTime(3723), QStringLiteral("1:02:03"));
        QCOMPARE(CConvertDlg::FormatTime(100 * 3600), QStringLiteral("100:00:00"));
        QCOMPARE(CConvertDlg::FormatTime(-5), QStringLiteral("0:00:00"));
    }

    void oneFailedTitleAmongThreeIsNamed()
    {
        qputenv("VELKO_STANDIN_MODE", "record");
        qputenv("VELKO_STANDIN_FAIL", "VTS_02");
        CConvertDlg dlg;
        Prepare(dlg);
        for (const char *name : {"VTS_01_1.VOB", "VTS_02_1.VOB", "VTS_03_1.VOB"})
            dlg.m_engine.addJob(MakeSource(QString::fromLatin1(name)));
        QCOMPARE(dlg.DoModal(), IDOK);

        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        const auto restore = qScopeGuard([] { QDesktopServices::unsetUrlHandler("file"); });
        QWidget owner;
        CModalWatcher watcher([&](QDialog *pDlg) {
            auto *pBox = qobject_cast<QMessageBox *>(pDlg);
            for (QAbstractButton *pButton : pBox->buttons())
                if (pButton->text() == QStringLiteral("Open Log"))
                    QTest::mouseClick(pButton, Qt::LeftButton);
        });
        QVERIFY(dlg.ReportFailures(&owner));
        QVERIFY(!watcher.m_bTimedOut);
        QCOMPARE(watcher.m_seen.size(), 1);
        QCOMPARE(watcher.m_seen[0].strTitle, QStringLiteral("Velko Free DVD Ripper"));
        QCOMPARE(watcher.m_seen[0].strText, "This title was not converted:\n\n" +
                                                m_dir.filePath("VTS_02_1.VOB") +
                                                "\n    Conversion failed on purpose");
        QCOMPARE(catcher.m_urls, QList<QUrl>{QUrl::fromLocalFile(ConvertEng::conversionLogPath())});
    }

    void runWithoutFailuresEndsSilently()
    {
        qputenv("VELKO_STANDIN_MODE", "record");
        CConvertDlg dlg;
        Prepare(dlg);
        for (const char *name : {"VTS_01_1.VOB", "VTS_02_1.VOB", "VTS_03_1.VOB"})
            dlg.m_engine.addJob(MakeSource(QString::fromLatin1(name)));
        QCOMPARE(dlg.DoModal(), IDOK);
        CModalWatcher watcher([](QDialog *pDlg) { pDlg->reject(); });
        QVERIFY(!dlg.ReportFailures(nullptr));
        QTest::qWait(200);
        QVERIFY(watcher.m_seen.isEmpty());
    }

    // The window closes as soon as the engine has ended, finished or stopped,
    // not at its next tick.
    void closesOnTheEnginesWord_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("finished") << false;
        QTest::newRow("stopped") << true;
    }
    void closesOnTheEnginesWord()
    {
        QFETCH(bool, stop);
        CNoTickConvertDlg dlg;
        Prepare(dlg);
        dlg.m_engine.addJob(MakeSource(QStringLiteral("VTS_01_1.VOB")));
        QTimer::singleShot(0, &dlg, [&] {
            const bool bReported = QTest::qWaitFor(
                [&] {
                    ConvertJob job;
                    return dlg.m_engine.getCurrentJob(job) && job.position > 0;
                },
                20000);
            QVERIFY(bReported);
            if (stop) {
                dlg.m_engine.requestStop();
            } else {
                QFile gate(m_gate);
                gate.open(QIODevice::WriteOnly);
            }
        });
        QTimer watchdog;
        watchdog.callOnTimeout(&dlg, [&] { dlg.done(IDCANCEL); });
        watchdog.start(30000);
        QCOMPARE(dlg.DoModal(), IDOK);
        QCOMPARE(dlg.m_engine.m_state.load(), int(stop ? StateStopped : StateFinished));
    }

    void failureTextNamesEachTitle()
    {
        QCOMPARE(CConvertDlg::FailureText({}), QString());
        ConvertJob first;
        first.source = QStringLiteral("/dvd/VTS_01_1.VOB");
        first.lastError = QStringLiteral("No space left on device");
        ConvertJob second;
        second.source = QStringLiteral("/dvd/VTS_04_1.VOB");
        QCOMPARE(
            CConvertDlg::FailureText({first, second}),
            QStringLiteral("These titles were not converted:\n\n/dvd/VTS_01_1.VOB\n    No space "
                           "left on device\n\n/dvd/VTS_04_1.VOB\n    The converter gave no "
                           "reason."));
    }
};

VELKO_TEST_MAIN(TestConvertProgress)
#include "tst_convertprogress.moc"
