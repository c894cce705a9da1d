// Draws the main window in the title view of a DVD fixture, its first title
// selected and shown in the preview, into a PNG file, offscreen:
// render_titleview DVD_FOLDER OUTPUT_FOLDER.
#include "AppTestSupport.h"
#include "Options.h"
#include "Resource.h"
#include "TestHome.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>

#include <cstdio>

namespace
{
class CTitleViewDlg : public CTestMainDlg
{
public:
    using CTestMainDlg::CTestMainDlg;
    using CVelkoDVDRipperDlg::LoadSource;
};
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
    return dlg.grab().save(out + QStringLiteral("/title-view.png")) ? 0 : 1;
}
