#include "ControlId.h"
#include "DiscTypes.h"
#include "Fixture.h"
#include "LoadingDlg.h"
#include "TablesChild.h"
#include "TestHome.h"
#include "TitleTree.h"

#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>

namespace
{
using testsupport::fixture;

// A dialog whose tick, an hour, never comes while a test runs.
class CNoTickLoadingDlg : public CLoadingDlg
{
public:
    CNoTickLoadingDlg() { m_timer.setInterval(3600 * 1000); }
};

struct Run {
    int nResult = 0;
    QList<int> bar;              // every position the bar took, in order
    bool bOpenAfterKeys = false; // still open after Esc, Enter and a close request
    qint64 nMs = 0;
};

// One load as the main window runs it. A dialog that has not ended by itself
// after two minutes is ended with IDCANCEL, which the tests then see.
Run Load(CLoadingDlg &dlg, const QString &strFolder)
{
    Run run;
    dlg.SetSource(QStringLiteral(".VOB"), strFolder);
    QSignalSpy moved(FindCtrl<QProgressBar>(&dlg, CLoadingDlg::IDC_PROGRESS),
                     &QProgressBar::valueChanged);
    // Posted now, handled as soon as the modal loop runs: before the first
    // 300 ms tick can end the load.
    QTimer::singleShot(0, &dlg, [&] {
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QTest::keyClick(&dlg, Qt::Key_Return);
        dlg.close();
        run.bOpenAfterKeys = dlg.isVisible();
    });
    QTimer watchdog;
    watchdog.callOnTimeout(&dlg, [&] { dlg.done(IDCANCEL); });
    watchdog.start(120000);
    QElapsedTimer clock;
    clock.start();
    run.nResult = dlg.DoModal();
    run.nMs = clock.elapsed();
    for (const QList<QVariant> &args : moved)
        run.bar << args.value(0).toInt();
    return run;
}

// "path|duration|format" per title, in path order.
QStringList Titles(const CLoadingDlg &dlg)
{
    QStringList titles;
    for (qsizetype i = 0; i < dlg.m_titles.size(); ++i) {
        const MediaInfo info = dlg.m_titleInfos.value(i, {"<none>", "<none>"});
        titles << dlg.m_titles[i]->source + '|' + info.durationText + '|' + info.formatText;
    }
    titles.sort();
    return titles;
}

// The bar only ever moves forward, in steps of whole titles (two here), and
// ends full.
bool MovesByTitles(const QList<int> &bar)
{
    for (qsizetype i = 0; i < bar.size(); ++i) {
        if ((i > 0 && bar[i] < bar[i - 1]) || bar[i] % 50 != 0)
            return false;
    }
    return !bar.isEmpty() && bar.last() == 100;
}
} // namespace

class TestLoadingDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(ConvertEng::makeConverterPath()).isExecutable(),
                 "the converter launcher is not built");
        QVERIFY2(QFileInfo::exists(fixture("dvd/VIDEO_TS/VTS_01_1.VOB")), "fixtures missing");
    }

    // Two loads through the same object, as the main window does: a DVD
    // folder, then a folder of two titles of different lengths, so that a
    // left-over or a mix-up of the pairing shows.
    void loadsTitlesAndClosesByItself()
    {
        CLoadingDlg dlg;
        Run run = Load(dlg, fixture("dvd"));
        QCOMPARE(run.nResult, IDOK);
        QVERIFY(run.bOpenAfterKeys);
        QVERIFY2(MovesByTitles(run.bar), qPrintable(QVariant::fromValue(run.bar).toString()));
        QStringList titles = Titles(dlg);
        QCOMPARE(titles.size(), 2);
        // The converter's guess at the first title set's length varies.
        QVERIFY2(titles[0].startsWith(fixture("dvd/VIDEO_TS/VTS_01_1.VOB| 00:00:0")) &&
                     titles[0].endsWith("| MPEG2"),
                 qPrintable(titles[0]));
        QCOMPARE(titles[1], fixture("dvd/VIDEO_TS/VTS_02_1.VOB| 00:00:02| MPEG2"));

        QTemporaryDir second;
        const QString ts = second.path() + QStringLiteral("/VIDEO_TS");
        QVERIFY(QDir().mkpath(ts));
        QVERIFY(QFile::link(fixture("title12s.VOB"), ts + "/VTS_01_1.VOB"));
        QVERIFY(QFile::link(fixture("title2s.VOB"), ts + "/VTS_01_2.VOB"));
        run = Load(dlg, second.path());
        QCOMPARE(run.nResult, IDOK);
        QCOMPARE(run.bar.value(0), 0); // the bar starts over
        QVERIFY(MovesByTitles(run.bar));
        QCOMPARE(Titles(dlg), (QStringList{ts + "/VTS_01_1.VOB| 00:00:12| MPEG2",
                                           ts + "/VTS_01_2.VOB| 00:00:02| MPEG2"}));
    }

    // The load ends on the engine's word that it has finished, not at the
    // next tick, which never comes here.
    void aFolderWithoutTitlesEndsAtOnce()
    {
        QTemporaryDir empty;
        QVERIFY(MakeTree(empty.path(), {"VIDEO_TS/VIDEO_TS.VOB"}));
        CNoTickLoadingDlg dlg;
        for (const QString &folder : {empty.path(), empty.path() + "/missing"}) {
            const Run run = Load(dlg, folder);
            QCOMPARE(run.nResult, IDOK);
            QVERIFY(dlg.m_titles.isEmpty() && dlg.m_titleInfos.isEmpty());
            QCOMPARE(run.bar.value(run.bar.size() - 1), 100);
            QVERIFY2(run.nMs < 20000, qPrintable(QString::number(run.nMs)));
        }
    }

    // The title view's load: the titles read by the launcher off the GUI
    // thread; then a reader that never answers, which Cancel ends at once.
    void titleLoadReadsTablesAndCancels()
    {
        CLoadingDlg dlg;
        dvd::readTablesInChild(QFile::encodeName(ConvertEng::makeConverterPath()).toStdString());
        dlg.SetTitleSource(fixture("dvd"));
        QCOMPARE(dlg.DoModal(), IDOK);
        QVERIFY(dlg.m_pDiscTitles && dlg.m_pDiscTitles->Titles().size() == 3);

        QTemporaryDir folder;
        const QString pidFile = folder.filePath("pid");
        QFile script(folder.filePath("hang.sh"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho $$ > '" + QFile::encodeName(pidFile) + "'\nexec sleep 600\n");
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
        dvd::readTablesInChild(QFile::encodeName(script.fileName()).toStdString());
        qint64 pid = 0;
        QTimer press;
        press.callOnTimeout(&dlg, [&] {
            QFile written(pidFile);
            if (written.open(QIODevice::ReadOnly) &&
                (pid = written.readAll().trimmed().toLongLong()))
                FindCtrl<QPushButton>(&dlg, CLoadingDlg::IDC_CANCEL)->click();
        });
        press.start(20);
        // A reader left running would hold the window until the time limit.
        QTimer watchdog;
        watchdog.callOnTimeout(&dlg, [&] { dlg.done(0); });
        watchdog.start(30000);
        dlg.SetTitleSource(fixture("dvd"));
        const int nResult = dlg.DoModal();
        dvd::readTablesInChild({});
        QCOMPARE(nResult, IDCANCEL);
        QVERIFY(!dlg.m_pDiscTitles);
        QVERIFY(pid > 0 && ::kill(pid_t(pid), 0) == -1 && errno == ESRCH);
    }
};

VELKO_TEST_MAIN(TestLoadingDlg)
#include "tst_loadingdlg.moc"
