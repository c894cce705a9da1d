// Draws the loading dialog and the DVD folder and disc dialogs into PNG files,
// offscreen, so they can be looked at without running the program.
//
//     render_sources OUTPUT_FOLDER
//
// Runs in a private home folder (TestHome.h): the user's settings stay as
// they are.

#include "ControlId.h"
#include "DVDDiscDlg.h"
#include "DVDFolderDlg.h"
#include "LoadingDlg.h"
#include "TestHome.h"
#include "TitleTree.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

namespace
{
bool Save(QWidget &window, const QString &strFile)
{
    const bool saved = window.grab().save(strFile);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(strFile));
    std::fflush(stdout);
    return saved;
}

// Runs the dialog modally and saves a picture of it once it shows; prepare
// puts it in the state to draw first. The disc dialog tests its first disc
// before it shows, so the picture waits for the window rather than for the
// modal loop.
template <typename Dialog>
bool RenderModal(Dialog &dlg, const QString &strFile, const std::function<void()> &prepare = {})
{
    bool saved = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dlg, [&] {
        if (!dlg.isVisible())
            return;
        poll.stop();
        if (prepare)
            prepare();
        saved = QTest::qWaitForWindowExposed(&dlg) && Save(dlg, strFile);
        dlg.done(IDCANCEL);
    });
    poll.start(20);
    dlg.DoModal();
    return saved;
}

bool RenderLoading(const QString &strOut)
{
    // Drawn halfway, without a load: the window as it stands while probing.
    CLoadingDlg dlg;
    dlg.show();
    FindCtrl<QProgressBar>(&dlg, CLoadingDlg::IDC_PROGRESS)->setValue(50);
    const bool saved =
        QTest::qWaitForWindowExposed(&dlg) && Save(dlg, strOut + QStringLiteral("/loading.png"));
    dlg.hide();
    return saved;
}

bool RenderFolder(const QString &strOut, const QString &strFolder)
{
    CSelectDVDDirDlg fresh;
    bool saved = RenderModal(fresh, strOut + QStringLiteral("/dvd-folder.png"));
    // After a browse to a folder with titles: the folder shown, OK usable.
    CSelectDVDDirDlg chosen;
    saved &= RenderModal(chosen, strOut + QStringLiteral("/dvd-folder-chosen.png"), [&] {
        FindCtrl<QLineEdit>(&chosen, CSelectDVDDirDlg::IDC_FOLDER)->setText(strFolder);
        FindCtrl<QPushButton>(&chosen, IDOK)->setEnabled(true);
    });
    return saved;
}

bool RenderDisc(const QString &strOut, const QString &strRoot)
{
    const QStringList names{QStringLiteral("MY_FAVOURITE_MOVIE_SPECIAL_EDITION (/dev/sr0)"),
                            QStringLiteral("AUDIO_CD (/dev/sr1)")};
    const QStringList roots{strRoot, strRoot + QStringLiteral("/missing")};
    CSelectDVDDiscDlg dlg;
    dlg.m_pDiscNames = &names;
    dlg.m_pDiscRoots = &roots;
    bool saved = RenderModal(dlg, strOut + QStringLiteral("/dvd-disc.png"));
    const QStringList none;
    CSelectDVDDiscDlg empty;
    empty.m_pDiscNames = &none;
    empty.m_pDiscRoots = &none;
    saved &= RenderModal(empty, strOut + QStringLiteral("/dvd-disc-none.png"));
    return saved;
}
} // namespace

int main(int argc, char *argv[])
{
    CTestHome home;
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: render_sources OUTPUT_FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    const QString disc = home.Path() + QStringLiteral("/Videos/MY_FAVOURITE_MOVIE/VIDEO_TS");
    if (!MakeTree(disc, {QStringLiteral("VTS_01_1.VOB")}))
        return 1;
    bool ok = RenderLoading(out);
    ok &= RenderFolder(out, disc);
    ok &= RenderDisc(out, disc);
    return ok ? 0 : 1;
}
