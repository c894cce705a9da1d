// Draws the main window with a few titles listed, the conversion dialog and
// the About box into PNG files, offscreen: render_main OUTPUT_FOLDER.
#include "AboutDlg.h"
#include "AppTestSupport.h"
#include "Resource.h"
#include "TestHome.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>

namespace
{
class CShownAbout : public CAboutDlg
{
public:
    void Init() { OnInitDialog(); }
};
} // namespace

int main(int argc, char *argv[])
{
    CTestHome home;
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("render");
    QDir().mkpath(out);

    CTestMainDlg dlg;
    dlg.Init();
    // Folders as a user's read, not the private home's of this run.
    FindCtrl<QLineEdit>(&dlg, IDC_OUTPUT_FOLDER)->setText(QStringLiteral("/home/user/Videos"));
    FindCtrl<QLineEdit>(&dlg, IDC_SNAPSHOT_FOLDER)->setText(QStringLiteral("/home/user/Pictures"));
    dlg.AddTitles({{"/media/cdrom/VIDEO_TS/VTS_01_1.VOB", " 00:20:00", " MPEG2"},
                   {"/media/cdrom/VIDEO_TS/VTS_01_2.VOB", " 00:19:41", " MPEG2"},
                   {"/media/cdrom/VIDEO_TS/VTS_02_1.VOB", " 00:03:12", " MPEG2"}});
    dlg.m_listTitles.item(1, 0)->setCheckState(Qt::Checked);
    dlg.m_listTitles.selectRow(1);
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg))
        return 1;
    QTest::qWait(200);
    bool ok = dlg.grab().save(out + QStringLiteral("/main-window.png"));

    CTestConvertDlg convert;
    convert.show();
    if (!QTest::qWaitForWindowExposed(&convert))
        return 1;
    // Halfway through the second of five titles.
    RunSample sample;
    sample.titleNumber = 2;
    sample.titleCount = 5;
    sample.nowMs = ConvertEng::clockMs();
    sample.runStartedMs = sample.nowMs - 1563000;
    sample.laterSeconds = 1181 + 1181 + 192;
    sample.job.percent = 42;
    sample.job.duration = 1200;
    sample.job.position = 504;
    sample.job.fps = 48;
    sample.job.speed = 1.93;
    sample.job.startedMs = sample.nowMs - 261000;
    convert.Show(QStringLiteral("/media/cdrom/VIDEO_TS/VTS_01_2.VOB"), 42);
    convert.ShowRun(sample);
    QTest::qWait(100);
    ok = convert.grab().save(out + QStringLiteral("/converting.png")) && ok;

    convert.Show(QStringLiteral("/home/user/Videos/A very long folder name that will not fit/"
                                "another level of folders/VIDEO_TS/VTS_01_2.VOB"),
                 87);
    QTest::qWait(100);
    ok = convert.grab().save(out + QStringLiteral("/converting-long-path.png")) && ok;

    CShownAbout about;
    about.Init();
    about.show();
    if (!QTest::qWaitForWindowExposed(&about))
        return 1;
    QTest::qWait(100);
    ok = about.grab().save(out + QStringLiteral("/about.png")) && ok;
    return ok ? 0 : 1;
}
