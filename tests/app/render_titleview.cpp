// Draws the main window in the title view of a DVD fixture, its first title
// selected and shown in the preview, into a PNG file, and the window again
// with the Tracks dialog of the main title open over it, offscreen:
// render_titleview DVD_FOLDER OUTPUT_FOLDER.
#include "AppTestSupport.h"
#include "Options.h"
#include "Resource.h"
#include "TestHome.h"
#include "TracksDlg.h"

#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

#include <cstdio>

namespace
{
class CTitleViewDlg : public CTestMainDlg
{
public:
    using CTestMainDlg::CTestMainDlg;
    using CVelkoDVDRipperDlg::LoadSource;
    using CVelkoDVDRipperDlg::OnTitleTracks;
};

// The window with the dialog in front of it, centred as it opens.
QPixmap WithDialog(QWidget &window, QWidget &dialog)
{
    QPixmap picture = window.grab();
    const QPixmap front = dialog.grab();
    QPainter painter(&picture);
    const QRect place((picture.width() - front.width()) / 2,
                      (picture.height() - front.height()) / 2, front.width(), front.height());
    painter.drawPixmap(place.topLeft(), front);
    painter.setPen(QPen(Qt::darkGray, 2));
    painter.drawRect(place.adjusted(-1, -1, 0, 0));
    return picture;
}
} // namespace

int main(int argc, char *argv[])
{
    CTestHome home;
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: render_titleview DVD_FOLDER [OUTPUT_FOLDER]\n");
        return 2;
    }
    const QString disc = QString::fromLocal8Bit(argv[1]);
    const QString out = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("render");
    QDir().mkpath(out);

    CTitleViewDlg dlg;
    dlg.Init();
    FindCtrl<QLineEdit>(&dlg, IDC_OUTPUT_FOLDER)->setText(QStringLiteral("/home/user/Videos"));
    FindCtrl<QLineEdit>(&dlg, IDC_SNAPSHOT_FOLDER)->setText(QStringLiteral("/home/user/Pictures"));
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg))
        return 1;
    g_pOptions->m_bListTitles = true;
    dlg.LoadSource(disc);
    if (dlg.m_listTitles.rowCount() == 0) {
        std::fprintf(stderr, "render_titleview: no titles in %s\n", qPrintable(disc));
        return 1;
    }
    // A click on the first title previews it, as a user's would.
    const QRect row = dlg.m_listTitles.visualRect(dlg.m_listTitles.model()->index(0, 1));
    QTest::mouseClick(dlg.m_listTitles.viewport(), Qt::LeftButton, {}, row.center());
    QWidget *pView = dlg.findChild<QWidget *>(QStringLiteral("prevkitView"));
    if (!pView || !QTest::qWaitFor([&] { return pView->property("hasFrame").toBool(); }, 30000)) {
        std::fprintf(stderr, "render_titleview: the preview shows no picture\n");
        return 1;
    }
    QTest::qWait(300);
    if (!dlg.grab().save(out + QStringLiteral("/title-view.png")))
        return 1;

    int nMain = 0;
    for (int i = 0; i < dlg.m_listTitles.rowCount(); ++i)
        nMain = dlg.m_listTitles.item(i, 0)->checkState() == Qt::Checked ? i : nMain;
    bool bSaved = false;
    QTimer::singleShot(0, &dlg, [&] {
        QWidget *pTracks = nullptr;
        if (!QTest::qWaitFor([&] {
                return (pTracks = qobject_cast<CTracksDlg *>(QApplication::activeModalWidget()));
            }))
            return;
        QTest::qWait(100);
        bSaved = WithDialog(dlg, *pTracks).save(out + QStringLiteral("/title-view-tracks.png"));
        pTracks->close();
    });
    dlg.OnTitleTracks(nMain);
    return bSaved ? 0 : 1;
}
