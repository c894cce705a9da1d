#include "ControlId.h"
#include "LoadingDlg.h"
#include "TestHome.h"

#include <QProgressBar>

namespace
{
// The dialog with its engine set by hand, as a worker would leave it, and its
// tick called directly: no worker runs.
class CTickedLoadingDlg : public CLoadingDlg
{
public:
    using CLoadingDlg::DoDataExchange;
    using CLoadingDlg::m_engine;
    using CLoadingDlg::OnTimer;

    int Tick()
    {
        OnTimer(0);
        return FindCtrl<QProgressBar>(this, IDC_PROGRESS)->value();
    }
};
} // namespace

class TestLoadingProgress : public QObject
{
    Q_OBJECT

private slots:
    void theBarCountsTitlesNotTime()
    {
        CTickedLoadingDlg dlg;
        dlg.DoDataExchange(false);
        dlg.m_engine.m_state = StateRunning;
        // Before the worker has published anything, with no job at all.
        QCOMPARE(dlg.Tick(), 0);

        for (const char *pszName : {"/d/VTS_01_1.VOB", "/d/VTS_01_2.VOB", "/d/VTS_02_1.VOB"})
            dlg.m_engine.addJob(pszName);
        QList<int> shown;
        for (int current : {-1, 0, 1, 2}) {
            dlg.m_engine.m_current = current;
            shown << dlg.Tick();
        }
        QCOMPARE(shown, (QList<int>{0, 0, 33, 66}));
        QVERIFY(dlg.m_titles.isEmpty()); // nothing is copied while the worker runs
    }

    void theEndCopiesTitlesAndTheirRecordsPaired()
    {
        CTickedLoadingDlg dlg;
        dlg.DoDataExchange(false);
        dlg.m_engine.addJob("/d/VTS_01_1.VOB");
        dlg.m_engine.addJob("/d/VTS_01_2.VOB");
        // A title that went without a probe record still gets one, empty.
        dlg.m_engine.m_mediaInfos.append(MediaInfo{" 00:20:00", " MPEG2"});
        dlg.m_engine.m_current = -1;
        dlg.m_engine.m_state = StateFinished;

        QCOMPARE(dlg.Tick(), 100);
        QCOMPARE(dlg.result(), IDOK);
        QCOMPARE(dlg.m_titles, dlg.m_engine.m_jobs);
        QCOMPARE(dlg.m_titleInfos.size(), 2);
        QCOMPARE(dlg.m_titleInfos[0].durationText, " 00:20:00");
        QCOMPARE(dlg.m_titleInfos[1].durationText, QString());
    }
};

VELKO_TEST_MAIN(TestLoadingProgress)
#include "tst_loadingprogress.moc"
