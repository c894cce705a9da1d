#include "ControlId.h"
#include "LoadingDlg.h"
#include "TestHome.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace
{
QString Fixture(const QString &strName)
{
    return qEnvironmentVariable("VELKO_FIXTURES") + QLatin1Char('/') + strName;
}

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
    auto *pBar = FindCtrl<QProgressBar>(&dlg, CLoadingDlg::IDC_PROGRESS);
    QSignalSpy moved(pBar, &QProgressBar::valueChanged);
    QPointer<CLoadingDlg> pDlg(&dlg);
    // Posted now, handled as soon as the modal loop runs: before the first
    // 300 ms tick can end the load.
    QTimer::singleShot(0, &dlg, [&] {
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QTest::keyClick(&dlg, Qt::Key_Return);
        dlg.close();
        run.bOpenAfterKeys = dlg.isVisible();
    });
    QTimer::singleShot(120000, &dlg, [pDlg] {
        if (pDlg && pDlg->isVisible())
            pDlg->done(IDCANCEL);
    });
    QElapsedTimer clock;
    clock.start();
    run.nResult = dlg.DoModal();
    run.nMs = clock.elapsed();
    for (const QList<QVariant> &args : moved)
        run.bar << args.value(0).toInt();
    return run;
}

QStringList Sources(const CLoadingDlg &dlg)
{
    QStringList sources;
    for (const ConvertJob *pJob : dlg.m_titles)
        sources << pJob->source;
    return sources;
}

// The probe record paired with the title whose path ends in strName.
QString DurationOf(const CLoadingDlg &dlg, const QString &strName)
{
    for (qsizetype i = 0; i < dlg.m_titles.size() && i < dlg.m_titleInfos.size(); ++i) {
        if (dlg.m_titles[i]->source.endsWith(strName))
            return dlg.m_titleInfos[i].durationText;
    }
    return QStringLiteral("<none>");
}

// The bar only ever moves forward, in steps of whole titles, and ends full.
bool CountsTitles(const QList<int> &bar, int nTitles)
{
    if (bar.isEmpty() || bar.last() != 100)
        return false;
    for (qsizetype i = 0; i < bar.size(); ++i) {
        const bool step = nTitles > 0 && bar[i] * nTitles % 100 == 0;
        if ((i > 0 && bar[i] < bar[i - 1]) || (bar[i] != 100 && !step))
            return false;
    }
    return true;
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
        QVERIFY2(QFileInfo::exists(Fixture("dvd/VIDEO_TS/VTS_01_1.VOB")), "fixtures missing");
    }

    void loadsTheTitlesOfADvdFolderAndClosesByItself()
    {
        CLoadingDlg dlg;
        const Run run = Load(dlg, Fixture("dvd"));
        QCOMPARE(run.nResult, IDOK);
        QVERIFY(run.bOpenAfterKeys);

        QStringList sources = Sources(dlg);
        sources.sort();
        QCOMPARE(sources, (QStringList{Fixture("dvd/VIDEO_TS/VTS_01_1.VOB"),
                                       Fixture("dvd/VIDEO_TS/VTS_02_1.VOB")}));
        QCOMPARE(dlg.m_titleInfos.size(), 2);
        QCOMPARE(DurationOf(dlg, "/VTS_02_1.VOB"), " 00:00:02");
        for (const MediaInfo &info : std::as_const(dlg.m_titleInfos))
            QCOMPARE(info.formatText, " MPEG2");
        QVERIFY2(CountsTitles(run.bar, 2), qPrintable(QVariant::fromValue(run.bar).toString()));
    }

    void aSecondLoadReplacesTheFirst()
    {
        CLoadingDlg dlg;
        QCOMPARE(Load(dlg, Fixture("dvd")).nResult, IDOK);
        QCOMPARE(dlg.m_titles.size(), 2);
        dlg.ClearResults();
        QVERIFY(dlg.m_titles.isEmpty() && dlg.m_titleInfos.isEmpty());

        // Two titles of different lengths, so a mix-up of the pairing shows.
        QTemporaryDir second;
        const QString ts = second.path() + QStringLiteral("/VIDEO_TS");
        QVERIFY(QDir().mkpath(ts));
        QVERIFY(QFile::link(Fixture("title12s.VOB"), ts + "/VTS_01_1.VOB"));
        QVERIFY(QFile::link(Fixture("title2s.VOB"), ts + "/VTS_01_2.VOB"));
        const Run run = Load(dlg, second.path());
        QCOMPARE(run.nResult, IDOK);
        QStringList sources = Sources(dlg);
        sources.sort();
        QCOMPARE(sources, (QStringList{ts + "/VTS_01_1.VOB", ts + "/VTS_01_2.VOB"}));
        QCOMPARE(dlg.m_titleInfos.size(), 2);
        QCOMPARE(DurationOf(dlg, "/VTS_01_1.VOB"), " 00:00:12");
        QCOMPARE(DurationOf(dlg, "/VTS_01_2.VOB"), " 00:00:02");
        QCOMPARE(run.bar.first(), 0); // the bar starts over
        QVERIFY(CountsTitles(run.bar, 2));
    }

    void aFolderWithoutTitlesEndsAtOnce()
    {
        QTemporaryDir empty;
        QVERIFY(QDir().mkpath(empty.path() + "/VIDEO_TS"));
        QFile menu(empty.path() + "/VIDEO_TS/VIDEO_TS.VOB");
        QVERIFY(menu.open(QIODevice::WriteOnly));
        menu.close();

        CLoadingDlg dlg;
        for (const QString &folder : {empty.path(), empty.path() + "/missing"}) {
            const Run run = Load(dlg, folder);
            QCOMPARE(run.nResult, IDOK);
            QVERIFY(dlg.m_titles.isEmpty());
            QVERIFY(dlg.m_titleInfos.isEmpty());
            QCOMPARE(run.bar.value(run.bar.size() - 1), 100);
            QVERIFY2(run.nMs < 20000, qPrintable(QString::number(run.nMs)));
        }
    }
};

VELKO_TEST_MAIN(TestLoadingDlg)
#include "tst_loadingdlg.moc"
