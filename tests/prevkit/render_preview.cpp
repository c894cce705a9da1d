// Draws the preview player into PNG files, offscreen, so it can be looked at
// without running the program: a 4:3 and a 16:9 title, a file that cannot be
// previewed, and the empty player.
//
//     render_preview FIXTURE_FOLDER OUTPUT_FOLDER

#include "PlayerProbe.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

namespace
{

bool render(const QString &file, int seekMs, const QString &out)
{
    PlayerProbe probe(QRect(10, 10, 360, 300));
    if (!file.isEmpty()) {
        prevkit_setFile(probe.handle, file);
        const bool ready =
            QTest::qWaitFor([&] { return probe.hasFrame() || !probe.message().isEmpty(); }, 20000);
        if (ready && probe.hasFrame() && seekMs > 0) {
            probe.slider()->setValue(seekMs);
            QTest::qWait(1000);
        }
    }
    QTest::qWait(100);
    const bool saved = probe.parent.grab().save(out);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(out));
    return saved;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_preview FIXTURE_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir fixtures(QString::fromLocal8Bit(argv[1]));
    const QDir out(QString::fromLocal8Bit(argv[2]));
    if (!out.mkpath(QStringLiteral(".")))
        return 1;
    bool ok = render(fixtures.filePath(QStringLiteral("title12s.VOB")), 5000,
                     out.filePath(QStringLiteral("preview-4x3.png")));
    ok &= render(fixtures.filePath(QStringLiteral("long.VOB")), 20000,
                 out.filePath(QStringLiteral("preview-16x9.png")));
    ok &= render(out.filePath(QStringLiteral("no such title.VOB")), 0,
                 out.filePath(QStringLiteral("preview-error.png")));
    ok &= render(QString(), 0, out.filePath(QStringLiteral("preview-empty.png")));
    return ok ? 0 : 1;
}
