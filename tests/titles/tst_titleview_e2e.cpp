// The main window's title view: one row per DVD title from the disc's
// tables, the main title ticked, what a row converts, and the sources a drop
// or an image loads that way.
#include "AppTestSupport.h"
#include "TestHome.h"
#include "TitleTestSupport.h"

#include "Options.h"
#include "Resource.h"

#include <QAction>

using namespace titletest;

class CTitleViewDlg : public CTestMainDlg
{
public:
    using CTestMainDlg::CTestMainDlg;
    using CVelkoDVDRipperDlg::IsDroppableSource;
    using CVelkoDVDRipperDlg::LoadSource;
};

class TstTitleView : public QObject
{
    Q_OBJECT

private slots:
    void listsOneRowPerTitle();
    void ticksTheMainTitle();
    void imageLoadsAsTitlesWithoutTheItem();
    void droppableSources();
};

void TstTitleView::listsOneRowPerTitle()
{
    CTitleViewDlg dlg;
    dlg.Init();
    auto *pItem = FindCtrl<QAction>(&dlg, IDM_LISTTITLES);
    QVERIFY(pItem && pItem->isCheckable() && !pItem->isChecked());
    g_pOptions->m_bListTitles = true;
    dlg.LoadSource(dvdFixture(QStringLiteral("big")));

    QCOMPARE(dlg.m_listTitles.rowCount(), 3);
    QCOMPARE(dlg.m_listTitles.item(0, 0)->text(),
             QStringLiteral("big - Title 01 (4 chapters; English)"));
    QCOMPARE(dlg.m_listTitles.item(2, 0)->text(),
             QStringLiteral("big - Title 03 (1 chapter; English, German)"));
    QCOMPARE(dlg.m_listTitles.item(0, 1)->text(), QStringLiteral(" 00:16:00"));
    QCOMPARE(dlg.m_listTitles.item(1, 1)->text(), QStringLiteral(" 00:00:12"));
    QCOMPARE(dlg.m_listTitles.item(0, 2)->text(), QStringLiteral(" MPEG2"));
    // The longest title alone is ticked.
    QCOMPARE(dlg.m_listTitles.item(0, 0)->checkState(), Qt::Checked);
    QCOMPARE(dlg.m_listTitles.item(1, 0)->checkState(), Qt::Unchecked);
    QCOMPARE(dlg.m_listTitles.item(2, 0)->checkState(), Qt::Unchecked);

    // A row converts its title, named after the disc and the number.
    const auto source = titles::parseTitleSource(
        dlg.m_listTitles.item(1, 0)->data(kJobSourceRole).toString().toStdString());
    QVERIFY(source.has_value());
    QCOMPARE(source->title, 2);
    QCOMPARE(QString::fromStdString(source->name), QStringLiteral("big - Title 02"));
    QCOMPARE(QString::fromStdString(source->disc), dvdFixture(QStringLiteral("big")));

    dlg.m_listTitles.grab().save(QStringLiteral(TITLE_FIXTURES "/../render-titleview.png"));
    dlg.done(IDCANCEL);
    QSettings profile(QSettings::NativeFormat, QSettings::UserScope,
                      CAppProfile::OrganizationName(), CAppProfile::AppName());
    QCOMPARE(profile.value(QStringLiteral("ListDVDTitles")).toInt(), 1);
}

// The film the menu plays, not the longer decoy; an uncertain choice says so
// on its row.
void TstTitleView::ticksTheMainTitle()
{
    CTitleViewDlg dlg;
    dlg.Init();
    g_pOptions->m_bListTitles = true;
    dlg.LoadSource(QStringLiteral(FILM_FIXTURES "/film"));
    QCOMPARE(dlg.m_listTitles.rowCount(), 3);
    QCOMPARE(dlg.m_listTitles.item(1, 0)->checkState(), Qt::Unchecked);
    QCOMPARE(dlg.m_listTitles.item(2, 0)->checkState(), Qt::Checked);
    QVERIFY(!dlg.m_listTitles.item(2, 0)->toolTip().contains(u'\n'));
    dlg.done(IDCANCEL);

    CTitleViewDlg loop;
    loop.Init();
    loop.LoadSource(QStringLiteral(FILM_FIXTURES "/loop"));
    QCOMPARE(loop.m_listTitles.rowCount(), 2);
    QCOMPARE(loop.m_listTitles.item(1, 0)->checkState(), Qt::Checked);
    QVERIFY2(loop.m_listTitles.item(1, 0)->toolTip().contains("about as long"),
             qPrintable(loop.m_listTitles.item(1, 0)->toolTip()));
    loop.done(IDCANCEL);
}

void TstTitleView::imageLoadsAsTitlesWithoutTheItem()
{
    CTestHome::ClearProfile();
    CTitleViewDlg dlg;
    dlg.Init();
    QVERIFY(!g_pOptions->m_bListTitles);
    dlg.LoadSource(titleFixture(QStringLiteral("big.iso")));
    QCOMPARE(dlg.m_listTitles.rowCount(), 3);
    QVERIFY(dlg.m_listTitles.item(0, 0)->text().startsWith(QStringLiteral("MY_MOVIE - Title 01")));
    dlg.done(IDCANCEL);
}

void TstTitleView::droppableSources()
{
    QVERIFY(CTitleViewDlg::IsDroppableSource(dvdFixture(QStringLiteral("big"))));
    QVERIFY(CTitleViewDlg::IsDroppableSource(titleFixture(QStringLiteral("big.iso"))));
    QVERIFY(
        !CTitleViewDlg::IsDroppableSource(dvdFixture(QStringLiteral("big/VIDEO_TS/VTS_01_1.VOB"))));
    QVERIFY(!CTitleViewDlg::IsDroppableSource(dvdFixture(QStringLiteral("missing.iso"))));
}

VELKO_TEST_MAIN(TstTitleView)
#include "tst_titleview_e2e.moc"
