// The picture of real conversions through the launcher and ffmpeg: titles of
// known shape, scanning and bars, converted with presets of the catalogue,
// and measured in the output with ffmpeg's own filters.
#include "Fixture.h"
#include "MediaProbe.h"
#include "PresetCatalogue.h"
#include "TitleSource.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace
{

using testsupport::pictureFixture;

// The job source of title number of a fixture DVD ("pal" or "ntsc").
QString title(const QString &disc, int number)
{
    titles::TitleSource source;
    source.disc = pictureFixture(disc).toStdString();
    source.title = number;
    source.name = "title";
    return QString::fromStdString(titles::makeTitleSource(source));
}

QString presetArguments(const QString &name)
{
    PresetCatalogue catalogue;
    BuildPresetCatalogue(catalogue);
    for (int c = 0; c < catalogue.CategoryCount(); ++c)
        for (int p = 0; p < catalogue.PresetCount(c); ++p)
            if (catalogue.PresetName(c, p) == name)
                return catalogue.PresetArguments(c, p);
    return {};
}

QByteArray run(const QString &program, const QStringList &arguments,
               const QStringList &environment = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &pair : environment)
        env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(240000) || process.exitCode() != 0)
        return "failed: " + process.readAll();
    return process.readAll();
}

// Converts source with the named preset into folder, answering the target.
QString convert(const QString &source, const QString &preset, const QString &target,
                const QStringList &environment = {})
{
    const QStringList options = presetArguments(preset).split(u' ', Qt::SkipEmptyParts);
    const QByteArray output =
        run(testsupport::launcherPath(),
            QStringList{"-y", "-i", source} + options + QStringList{target}, environment);
    return output.startsWith("failed") ? QString::fromUtf8(output) : target;
}

// The last match of pattern's first group in what ffmpeg prints for a pass
// over path with the given filters.
QString measured(const QString &path, const QString &filters, const QString &pattern,
                 const QStringList &inputs = {})
{
    const QByteArray output =
        run("ffmpeg", QStringList{"-nostdin", "-hide_banner", "-i", path} + inputs +
                          QStringList{"-lavfi", filters, "-f", "null", "-"});
    QString found;
    for (const QRegularExpressionMatch &match :
         QRegularExpression(pattern).globalMatch(QString::fromUtf8(output)))
        found = match.captured(1);
    return found;
}

QString probed(const QString &path, const QString &entry)
{
    const QJsonObject stream = testsupport::firstStream(testsupport::ffprobe(
        path, {"-select_streams", "v:0", "-count_frames", "-show_entries", "stream=" + entry}));
    return stream.value(entry).toVariant().toString();
}

} // namespace

class TestPictureE2e : public QObject
{
    Q_OBJECT

private slots:
    void classifies_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("expected");

        QTest::newRow("16:9") << title("pal", 1) << "progressive none";
        QTest::newRow("4:3") << title("pal", 2) << "progressive none";
        QTest::newRow("woven PAL") << title("pal", 3) << "interlaced none";
        QTest::newRow("letterboxed 2.35:1") << title("pal", 4) << "progressive 720:326:0:124";
        QTest::newRow("hard-telecined NTSC") << title("ntsc", 1) << "telecined none";
    }

    void classifies()
    {
        QFETCH(QString, source);
        QFETCH(QString, expected);
        const QString launcher = testsupport::launcherPath();
        const QStringList first = QString::fromUtf8(run(launcher, {"--analyse", source}))
                                      .split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(!first.isEmpty(), "no answer");
        QVERIFY2(first.last() == expected + " analysed" || first.last() == expected + " cached",
                 qPrintable(first.join(u'\n')));
        // Kept: asked again, the cache answers without ffmpeg.
        QCOMPARE(QString::fromUtf8(run(launcher, {"--analyse", "--cached", source})).trimmed(),
                 expected + " cached");
    }

    void keepsShape_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("crop"); // VELKO_CROP
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("active");

        QTest::newRow("16:9 in 4:3: letterbox") << title("pal", 1) << "Blackberry Curve Fullscreen"
                                                << "1"
                                                << "320x240"
                                                << "320x180";
        QTest::newRow("4:3 in 16:9: pillarbox") << title("pal", 2) << "XviD Widescreen"
                                                << "1"
                                                << "640x360"
                                                << "480x360";
        QTest::newRow("2.35:1 in 4:3, cropped, in 16:9") << title("pal", 4) << "MP4 Widescreen"
                                                         << "1"
                                                         << "640x360"
                                                         << "640x272";
        QTest::newRow("2.35:1 in 4:3, bars kept, in 16:9") << title("pal", 4) << "MP4 Widescreen"
                                                           << "0"
                                                           << "640x360"
                                                           << "480x204";
    }

    void keepsShape()
    {
        QFETCH(QString, source);
        QFETCH(QString, preset);
        QFETCH(QString, crop);
        QFETCH(QString, frame);
        QFETCH(QString, active);
        QTemporaryDir folder;
        const QString target =
            convert(source, preset, folder.filePath("out.mp4"), {"VELKO_CROP=" + crop});
        QVERIFY2(QFileInfo::exists(target), qPrintable(target));
        QCOMPARE(probed(target, "width") + u'x' + probed(target, "height"), frame);
        const QString found =
            measured(target, "cropdetect=round=2:reset=0", "crop=(\\d+:\\d+):\\d+:\\d+");
        const QStringList size = found.split(u':');
        const QStringList wanted = active.split(u'x');
        // The encoder blurs the picture's edge by a pixel or two.
        QVERIFY2(size.size() == 2 && qAbs(size[0].toInt() - wanted[0].toInt()) <= 4 &&
                     qAbs(size[1].toInt() - wanted[1].toInt()) <= 4,
                 qPrintable(found));
    }

    void deinterlaces()
    {
        // Each deinterlaced frame against the 50 fps picture its top field
        // came from; measured 0.990 with deinterlacing, 0.958 without.
        QTemporaryDir folder;
        QFile sourceFile(pictureFixture("picture-source.txt"));
        QVERIFY(sourceFile.open(QIODevice::ReadOnly));
        const QString truth = QString::fromUtf8(sourceFile.readAll()).trimmed() +
                              ",select=not(mod(n\\,2)),setpts=N/25/TB";
        double ssim[2] = {};
        const QStringList modes = {"automatic", "never"};
        for (int i = 0; i < 2; ++i) {
            const QString target =
                convert(title("pal", 3), "MPEG-4 H.264 video (super high quality)",
                        folder.filePath(modes[i] + ".mp4"), {"VELKO_DEINTERLACE=" + modes[i]});
            QVERIFY2(QFileInfo::exists(target), qPrintable(target));
            ssim[i] = measured(target, "[0:v]setpts=PTS-STARTPTS[a];[a][1:v]ssim=shortest=1",
                               "All:([0-9.]+)", {"-f", "lavfi", "-i", truth})
                          .toDouble();
        }
        qInfo("SSIM against the true pictures: %.4f deinterlaced, %.4f woven", ssim[0], ssim[1]);
        QVERIFY2(ssim[0] >= 0.98, qPrintable(QString::number(ssim[0])));
        QVERIFY2(ssim[1] < 0.97, qPrintable(QString::number(ssim[1])));
    }

    void undoesTelecine()
    {
        // 120 frames of video back to the 96 film pictures, at film's rate.
        QTemporaryDir folder;
        const QString target =
            convert(title("ntsc", 1), "MP4 Fullscreen", folder.filePath("f.mp4"));
        QVERIFY2(QFileInfo::exists(target), qPrintable(target));
        QCOMPARE(probed(target, "r_frame_rate"), QStringLiteral("24000/1001"));
        QVERIFY2(qAbs(probed(target, "nb_read_frames").toInt() - 96) <= 1,
                 qPrintable(probed(target, "nb_read_frames")));
    }
};

QTEST_GUILESS_MAIN(TestPictureE2e)
#include "tst_picture_e2e.moc"
