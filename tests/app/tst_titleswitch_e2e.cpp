// The main window on real DVD fixtures: the "List DVD titles" item reloads
// the source that is shown, one way and back, and a folder or an image
// dropped on the window loads as a user drops it.
#include "AppTestSupport.h"
#include "Fixture.h"
#include "TestHome.h"

#include "ConvertJob.h"
#include "Options.h"
#include "Resource.h"
#include "TitleSource.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace
{

using testsupport::dvdFixture;

class CSwitchDlg : public CTestMainDlg
{
public:
    using CTestMainDlg::CTestMainDlg;
    using CVelkoDVDRipperDlg::LoadSource;

    // The first column of every row, and whether each row converts a title.
    QStringList Rows() const
    {
        QStringList rows;
        for (int i = 0; i < m_listTitles.rowCount(); ++i)
            rows << m_listTitles.item(i, 0)->text();
        return rows;
    }
    int TitleRows() const
    {
        int n = 0;
        for (int i = 0; i < m_listTitles.rowCount(); ++i) {
            const QString strJob = m_listTitles.item(i, 0)->data(kJobSourceRole).toString();
            n += titles::parseTitleSource(strJob.toStdString()).has_value() ? 1 : 0;
        }
        return n;
    }
};

// Drags `path` over the window and drops it there, as the window system
// hands both over; answers whether the window took the drag and the drop.
bool Drop(QWidget &window, const QString &path, bool *pEntered)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = window.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    *pEntered = enter.isAccepted();
    if (!*pEntered)
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    return drop.isAccepted();
}

// Message boxes are answered and counted; the loading window runs by itself.
CModalWatcher *MessageCounter(QStringList *pTexts)
{
    return new CModalWatcher([pTexts](QDialog *pDlg) {
        if (auto *pBox = qobject_cast<QMessageBox *>(pDlg)) {
            *pTexts << pBox->text();
            pBox->reject();
        }
    });
}

} // namespace

class TstTitleSwitch : public QObject
{
    Q_OBJECT

private slots:
    void init() { CTestHome::ClearProfile(); }
    void switchingTheItemReloadsTheSource();
    void droppedSourcesLoad_data();
    void droppedSourcesLoad();
};

void TstTitleSwitch::switchingTheItemReloadsTheSource()
{
    CSwitchDlg dlg;
    dlg.Init();
    dlg.show();
    QStringList messages;
    std::unique_ptr<CModalWatcher> watcher(MessageCounter(&messages));
    auto *pItem = FindCtrl<QAction>(&dlg, IDM_LISTTITLES);
    QVERIFY(pItem && !pItem->isChecked());

    // File rows: the title files the folder holds.
    dlg.LoadSource(dvdFixture(QStringLiteral("ntsc")));
    const QStringList files = dlg.Rows();
    QVERIFY(!files.isEmpty());
    QVERIFY(files.first().endsWith(QStringLiteral("VTS_01_1.VOB")));
    QCOMPARE(dlg.TitleRows(), 0);

    // On: the same source as the disc's three titles.
    pItem->trigger();
    QVERIFY(g_pOptions->m_bListTitles);
    QCOMPARE(dlg.Rows().size(), 3);
    QVERIFY(dlg.Rows().first().startsWith(QStringLiteral("ntsc - Title 01 (2 chapters")));
    QCOMPARE(dlg.TitleRows(), 3);

    // Off: the files again, as before.
    pItem->trigger();
    QVERIFY(!g_pOptions->m_bListTitles);
    QCOMPARE(dlg.Rows(), files);
    QCOMPARE(dlg.TitleRows(), 0);
    QCOMPARE(messages, QStringList());
    dlg.done(IDCANCEL);
}

void TstTitleSwitch::droppedSourcesLoad_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("firstRow"); // how the first row starts
    QTest::addColumn<int>("titleRows");
    // A folder loads as the Folder command does: its title files.
    QTest::newRow("folder") << dvdFixture(QStringLiteral("ntsc"))
                            << dvdFixture(QStringLiteral("ntsc/VIDEO_TS/VTS_01_1.VOB")) << 0;
    // An image has no files: its titles, named after its volume label.
    QTest::newRow("image") << dvdFixture(QStringLiteral("ntsc.iso")) << "FIXTURE - Title 01" << 3;
}

void TstTitleSwitch::droppedSourcesLoad()
{
    QFETCH(QString, source);
    QFETCH(QString, firstRow);
    QFETCH(int, titleRows);
    CSwitchDlg dlg;
    dlg.Init();
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QStringList messages;
    std::unique_ptr<CModalWatcher> watcher(MessageCounter(&messages));

    // A single title file is not a source to drop.
    bool bEntered = true;
    QVERIFY(!Drop(dlg, dvdFixture(QStringLiteral("ntsc/VIDEO_TS/VTS_01_1.VOB")), &bEntered));
    QVERIFY(!bEntered);
    QCOMPARE(dlg.m_listTitles.rowCount(), 0);

    QVERIFY(Drop(dlg, source, &bEntered));
    QVERIFY(bEntered);
    QVERIFY(dlg.m_listTitles.rowCount() > 0);
    QVERIFY2(dlg.Rows().first().startsWith(firstRow), qPrintable(dlg.Rows().first()));
    QCOMPARE(dlg.TitleRows(), titleRows);
    QCOMPARE(messages, QStringList());
    dlg.done(IDCANCEL);
}

VELKO_TEST_MAIN(TstTitleSwitch)
#include "tst_titleswitch_e2e.moc"
