#include "AppProfile.h"
#include "TestHome.h"
#include "WindowPlacement.h"

#include <QWidget>

// The main window's position in the profile: its top-left corner comes back
// at the next start, and a maximised exit keeps the last normal position.
class TestWindowPlacement : public QObject
{
    Q_OBJECT

    static int StoredInt(const char *pszEntry)
    {
        return CAppProfile().GetProfileInt("", pszEntry, -1);
    }
    static void StoreEdges(int left, int top, int right, int bottom)
    {
        CAppProfile profile;
        profile.WriteProfileInt("", "Left", left);
        profile.WriteProfileInt("", "Top", top);
        profile.WriteProfileInt("", "Right", right);
        profile.WriteProfileInt("", "Bottom", bottom);
    }

    std::unique_ptr<QWidget> m_pWnd;

    void ShowMainWindow(const QPoint &pos)
    {
        m_pWnd = std::make_unique<QWidget>();
        m_pWnd->resize(300, 200);
        m_pWnd->move(pos);
        m_pWnd->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWnd.get()));
    }

private slots:
    void init() { CTestHome::ClearProfile(); }

    void restorePlacement_data()
    {
        QTest::addColumn<QPoint>("topLeft");
        QTest::addColumn<int>("right");
        QTest::addColumn<QPoint>("expected");
        const QPoint unmoved(150, 100); // where the window was shown
        QTest::newRow("nothing stored") << QPoint(0, 0) << 0 << unmoved;
        QTest::newRow("stored position") << QPoint(100, 80) << 900 << QPoint(100, 80);
        QTest::newRow("left edge off screen") << QPoint(-8, 20) << 1000 << QPoint(0, 20);
        QTest::newRow("top edge off screen") << QPoint(40, -5) << 500 << QPoint(40, 0);
        QTest::newRow("right plus left is zero") << QPoint(-100, 50) << 100 << unmoved;
        QTest::newRow("minimised at exit") << QPoint(-32000, -32000) << -31840 << QPoint(0, 0);
        QTest::newRow("corner on no screen") << QPoint(9000, 9000) << 9600 << unmoved;
    }

    void restorePlacement()
    {
        QFETCH(QPoint, topLeft);
        QFETCH(int, right);
        QFETCH(QPoint, expected);
        StoreEdges(topLeft.x(), topLeft.y(), right, 1); // Bottom plays no part
        ShowMainWindow(QPoint(150, 100));
        const QSize size = m_pWnd->frameGeometry().size();
        CWindowPlacement::RestorePlacement(*m_pWnd);
        QCOMPARE(m_pWnd->frameGeometry().topLeft(), expected);
        QCOMPARE(m_pWnd->frameGeometry().size(), size);
    }

    void savePlacementWritesTheFrameEdges()
    {
        ShowMainWindow(QPoint(120, 90));
        const QRect frame = m_pWnd->frameGeometry();
        CWindowPlacement::SavePlacement(*m_pWnd);
        QCOMPARE(StoredInt("Maximized"), 0);
        QCOMPARE(StoredInt("Left"), frame.left());
        QCOMPARE(StoredInt("Top"), frame.top());
        QCOMPARE(StoredInt("Right"), frame.left() + frame.width());
        QCOMPARE(StoredInt("Bottom"), frame.top() + frame.height());
        m_pWnd->move(300, 250);
        CWindowPlacement::RestorePlacement(*m_pWnd); // the next start puts it back
        QCOMPARE(m_pWnd->frameGeometry().topLeft(), frame.topLeft());
    }

    void maximisedExitKeepsTheEarlierPosition()
    {
        StoreEdges(10, 20, 310, 220);
        ShowMainWindow(QPoint(150, 100));
        m_pWnd->showMaximized();
        QTRY_VERIFY(m_pWnd->isMaximized());
        CWindowPlacement::SavePlacement(*m_pWnd);
        QVERIFY(StoredInt("Maximized") != 0);
        QCOMPARE(QList<int>({StoredInt("Left"), StoredInt("Top"), StoredInt("Right"),
                             StoredInt("Bottom")}),
                 QList<int>({10, 20, 310, 220}));

        ShowMainWindow(QPoint(150, 100)); // next start: stored place, not maximised
        CWindowPlacement::RestorePlacement(*m_pWnd);
        QCOMPARE(m_pWnd->frameGeometry().topLeft(), QPoint(10, 20));
        QVERIFY(!m_pWnd->isMaximized());
    }
};

VELKO_TEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
