// The main window's title view: one row per DVD title from the disc's
// tables, the main title ticked, what a row converts, and the sources a drop
// or an image loads that way.
#include "AppTestSupport.h"
#include "TestHome.h"
#include "TitleTestSupport.h"

#include "Fixture.h"
#include "Options.h"
#include "PictureOptions.h"
#include "Resource.h"
#include "TablesChild.h"
#include "TracksDlg.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

using namespace titletest;

class CTitleViewDlg : public CTestMainDlg
{
public:
    using CTestMainDlg::CTestMainDlg;
    using CVelkoDVDRipperDlg::IsDroppableSource;
    using CVelkoDVDRipperDlg::LoadSource;
    using CVelkoDVDRipperDlg::OnTitleTracks;
};

class TstTitleView : public QObject
{
    Q_OBJECT

private slots:
    void listsOneRowPerTitle();
    void ticksTheMainTitle();
    void choosesATitlesTracks();
    void imageLoadsAsTitlesWithoutTheItem();
    void droppableSources();
    void damagedTablesListTheirTitles();
    void rowsShowHowPicturesWereScanned();
    void pictureMenuKeepsTheSettings();
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
             QStringLiteral("big - Title 01 (4 chapters; audio 1: English AC-3 2 ch) - audio 1, "
                            "no subtitles"));
    QCOMPARE(dlg.m_listTitles.item(2, 0)->text(),
             QStringLiteral("big - Title 03 (1 chapter; audio 1: English AC-3 2 ch, 2: German "
                            "MPEG audio 2 ch) - audio 1, no subtitles"));
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

    dlg.m_listTitles.grab().save(titleFixture(QStringLiteral("../render-titleview.png")));
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
    dlg.LoadSource(testsupport::filmFixture(QStringLiteral("film")));
    QCOMPARE(dlg.m_listTitles.rowCount(), 3);
    QCOMPARE(dlg.m_listTitles.item(1, 0)->checkState(), Qt::Unchecked);
    QCOMPARE(dlg.m_listTitles.item(2, 0)->checkState(), Qt::Checked);
    QVERIFY(!dlg.m_listTitles.item(2, 0)->toolTip().contains(u'\n'));
    dlg.done(IDCANCEL);

    CTitleViewDlg loop;
    loop.Init();
    loop.LoadSource(testsupport::filmFixture(QStringLiteral("loop")));
    QCOMPARE(loop.m_listTitles.rowCount(), 2);
    QCOMPARE(loop.m_listTitles.item(1, 0)->checkState(), Qt::Checked);
    QVERIFY2(loop.m_listTitles.item(1, 0)->toolTip().contains("about as long"),
             qPrintable(loop.m_listTitles.item(1, 0)->toolTip()));
    loop.done(IDCANCEL);
}

// The preferred language gives the default track; the Tracks dialog changes
// what the row converts and previews.
void TstTitleView::choosesATitlesTracks()
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, CAppProfile::OrganizationName(),
              CAppProfile::AppName())
        .setValue(QStringLiteral("AudioLanguage"), QStringLiteral("fr"));
    CTitleViewDlg dlg;
    dlg.Init();
    g_pOptions->m_bListTitles = true;
    dlg.LoadSource(filmFixture(QStringLiteral("film")));
    QTableWidgetItem *pFilm = dlg.m_listTitles.item(2, 0);
    QVERIFY2(pFilm->text().endsWith(QStringLiteral("- audio 3, forced French subtitles")),
             qPrintable(pFilm->text()));

    // English ticked and moved first, its subtitles burned in.
    QTimer::singleShot(0, &dlg, [] {
        auto *pTracks = qobject_cast<CTracksDlg *>(QApplication::activeModalWidget());
        if (!pTracks && !QTest::qWaitFor([&] {
                return (pTracks = qobject_cast<CTracksDlg *>(QApplication::activeModalWidget()));
            }))
            return;
        auto *pAudio = FindCtrl<QListWidget>(pTracks, CTracksDlg::IDC_AUDIO);
        pAudio->item(2)->setCheckState(Qt::Checked); // track 2, listed after 3 and 1
        pAudio->setCurrentRow(2);
        for (int i = 0; i < 2; ++i)
            QTest::mouseClick(FindCtrl<QPushButton>(pTracks, CTracksDlg::IDC_UP), Qt::LeftButton);
        FindCtrl<QComboBox>(pTracks, CTracksDlg::IDC_SUBTITLES)
            ->setCurrentIndex(CTracksDlg::kFirstStream);
        QTest::mouseClick(FindCtrl<QPushButton>(pTracks, IDOK), Qt::LeftButton);
    });
    dlg.OnTitleTracks(2);
    const auto source =
        titles::parseTitleSource(pFilm->data(kJobSourceRole).toString().toStdString());
    QVERIFY(source.has_value());
    QCOMPARE(source->choice.audio, (std::vector<int>{2, 3}));
    QCOMPARE(source->choice.subtitleStream, 1);
    QCOMPARE(source->choice.language, std::string("fr"));
    QCOMPARE(pFilm->data(kPreviewRole), pFilm->data(kJobSourceRole));
    QVERIFY2(pFilm->text().endsWith(QStringLiteral("- audio 2, 3, subtitles 1 burned in")),
             qPrintable(pFilm->text()));
    dlg.done(IDCANCEL);
    CTestHome::ClearProfile();
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

// Tables that crash the DVD library are read by the launcher, from their
// copies; a title set whose tables and copies are cut shows its title with
// the reason, with nothing to tick.
void TstTitleView::damagedTablesListTheirTitles()
{
    QTemporaryDir disc;
    QVERIFY(
        makeDamagedCopy(testsupport::fixture(QStringLiteral("dvd")), disc.path(),
                        {"cut:VIDEO_TS.IFO:2100", "cut:VTS_02_0.IFO:100", "cut:VTS_02_0.BUP:100"}));
    dvd::readTablesInChild(testsupport::launcherPath().toStdString());
    CTitleViewDlg dlg;
    dlg.Init();
    g_pOptions->m_bListTitles = true;
    dlg.LoadSource(disc.path());
    dvd::readTablesInChild({});
    QCOMPARE(dlg.m_listTitles.rowCount(), 3);
    QVERIFY(dlg.m_listTitles.item(1, 0)->flags() & Qt::ItemIsUserCheckable);
    const QTableWidgetItem *pDamaged = dlg.m_listTitles.item(2, 0);
    QVERIFY2(
        pDamaged->text().endsWith(" - Title 03 (unreadable: the title set's tables are damaged)"),
        qPrintable(pDamaged->text()));
    QVERIFY(!(pDamaged->flags() & Qt::ItemIsUserCheckable));
    QVERIFY(pDamaged->data(kJobSourceRole).isNull());
    dlg.done(IDCANCEL);
}

void TstTitleView::rowsShowHowPicturesWereScanned()
{
    CTestHome::ClearProfile();
    CTitleViewDlg dlg;
    dlg.Init();
    g_pOptions->m_bListTitles = true;
    dlg.LoadSource(testsupport::pictureFixture(QStringLiteral("pal")));
    QCOMPARE(dlg.m_listTitles.rowCount(), 4);
    // The rows are there at once; each class arrives when it is found.
    auto formats = [&dlg] {
        QStringList texts;
        for (int i = 0; i < dlg.m_listTitles.rowCount(); ++i)
            texts << dlg.m_listTitles.item(i, 2)->text();
        return texts;
    };
    const QStringList expected = {" MPEG2, progressive", " MPEG2, progressive",
                                  " MPEG2, interlaced", " MPEG2, progressive"};
    QTRY_COMPARE_WITH_TIMEOUT(formats(), expected, 120000);
    dlg.done(IDCANCEL);
}

void TstTitleView::pictureMenuKeepsTheSettings()
{
    CTestHome::ClearProfile();
    {
        CTitleViewDlg dlg;
        dlg.Init();
        auto *pAuto = FindCtrl<QAction>(&dlg, IDM_DEINTERLACE_AUTO);
        auto *pNever = FindCtrl<QAction>(&dlg, IDM_DEINTERLACE_NEVER);
        auto *pCrop = FindCtrl<QAction>(&dlg, IDM_CROPBARS);
        QVERIFY(pAuto && pNever && pCrop);
        QVERIFY(pAuto->isChecked() && pCrop->isChecked());
        pNever->trigger();
        pCrop->trigger();
        QVERIFY(!pAuto->isChecked());
        dlg.done(IDCANCEL);
    }
    // What a conversion hands the launcher, and what the next window shows.
    CPictureOptions options;
    options.Load();
    QCOMPARE(options.ConverterEnvironment(),
             QStringList({"VELKO_DEINTERLACE=never", "VELKO_CROP=0"}));
    CTitleViewDlg dlg;
    dlg.Init();
    QVERIFY(FindCtrl<QAction>(&dlg, IDM_DEINTERLACE_NEVER)->isChecked());
    QVERIFY(!FindCtrl<QAction>(&dlg, IDM_CROPBARS)->isChecked());
    dlg.done(IDCANCEL);
}

VELKO_TEST_MAIN(TstTitleView)
#include "tst_titleview_e2e.moc"
