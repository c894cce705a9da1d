// The program's title commands, run as a user runs them, without a display:
// the listing, one conversion, and the exit code and message of each way
// they can fail.
#include "ProcessTree.h"
#include "TitleTestSupport.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace titletest;

namespace
{

QString program()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/VelkoFreeDVDRipper");
}

// No display of any kind.
QProcessEnvironment headless()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

Run velko(const QStringList &arguments)
{
    return run(program(), arguments, 300000, headless());
}

} // namespace

class TstTitleCommandsE2e : public QObject
{
    Q_OBJECT

private slots:
    void listIsTheSameForFolderAndImage();
    void listShowsHowPicturesWereScanned();
    void convertsOneTitle();
    void keepsTheFilmsTracks();
    void burnsTheFilmsSubtitles_data();
    void burnsTheFilmsSubtitles();
    void failuresHaveCodesAndMessages();
    void failedConversionRepeatsTheConverter();
    void stopSignalsEndTheConversion_data();
    void stopSignalsEndTheConversion();

private:
    QTemporaryDir m_out;
};

void TstTitleCommandsE2e::listIsTheSameForFolderAndImage()
{
    const Run folder = velko({"--list-titles", dvdFixture(QStringLiteral("big"))});
    const Run image = velko({"--list-titles", titleFixture(QStringLiteral("big.iso"))});
    QCOMPARE(folder.exitCode, 0);
    QCOMPARE(image.exitCode, 0);
    QCOMPARE(image.output, folder.output);
    const QList<QByteArray> lines = folder.output.trimmed().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith("Title 1: 0:16:00.000, 4 chapters, audio: 1 en"));
    QVERIFY(lines[1].startsWith("Title 2: 0:00:12.000, 1 chapter, audio: 1 en"));
    QVERIFY(lines[2].contains("1 en (AC-3, 2 ch), 2 de (MPEG audio, 2 ch)"));
}

void TstTitleCommandsE2e::listShowsHowPicturesWereScanned()
{
    QTemporaryDir cache;
    QProcessEnvironment environment = headless();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
    const QStringList list = {"--list-titles", testsupport::pictureFixture(QStringLiteral("pal"))};
    auto scans = [&](const QStringList &arguments) {
        const Run listed = run(program(), arguments, 300000, environment);
        QStringList found;
        for (const QByteArray &line : listed.output.trimmed().split('\n'))
            found << QString::fromUtf8(line.mid(line.lastIndexOf(", scan: ") + 8).split(',')[0]);
        return found;
    };
    // Nothing analysed yet, and the listing does not wait for it.
    QCOMPARE(scans(list), QStringList(4, QStringLiteral("not analysed")));
    const QStringList classes = {"progressive", "progressive", "interlaced", "progressive"};
    QCOMPARE(scans(list + QStringList{"--analyse"}), classes);
    // Kept for the next listing.
    QCOMPARE(scans(list), classes);
}

void TstTitleCommandsE2e::convertsOneTitle()
{
    const Run done =
        velko({"--convert", hostileFolder(), "--title", "2", "--category", "google android",
               "--preset", "Google Android compatible video", "--output", m_out.path()});
    QCOMPARE(done.exitCode, 0);
    QVERIFY(done.output.contains("100%"));
    const QString label = QFileInfo(hostileFolder()).fileName().replace(u'\n', u'_');
    const QString target = m_out.filePath(label + QStringLiteral(" - Title 02.mp4"));
    QVERIFY2(QFileInfo(target).isFile(), qPrintable(QString::fromUtf8(done.output)));
    QVERIFY(std::abs(videoPackets(target) - ntscFrames(6)) <= 2);
    QCOMPARE(audioLanguages(target), QStringList{QStringLiteral("fre")});

    // Once there, the file is kept unless --overwrite is given.
    const QStringList again = {
        "--convert",  hostileFolder(),  "--title",  "2",
        "--category", "Google Android", "--preset", "Google Android compatible video",
        "--output",   m_out.path()};
    const Run refused = velko(again);
    QCOMPARE(refused.exitCode, 4);
    QVERIFY(refused.output.contains("already exists"));
    QCOMPARE(velko(again + QStringList{"--overwrite"}).exitCode, 0);
}

// The film of a disc authored like a bought one: listed with its tracks and
// found as the main title, every track kept in Matroska with its language,
// or the tracks asked for.
void TstTitleCommandsE2e::keepsTheFilmsTracks()
{
    const QString film = filmFixture(QStringLiteral("film"));
    const Run list = velko({"--list-titles", film});
    QCOMPARE(list.exitCode, 0);
    const QList<QByteArray> lines = list.output.trimmed().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(!lines[1].endsWith("main title"));
    QVERIFY2(lines[2].contains(", audio: 1 en (AC-3, 2 ch, commentary), 2 en (AC-3, 2 ch), 3 fr "
                               "(AC-3, 2 ch), subtitles: 1 en, 2 fr, scan: "),
             lines[2].constData());
    QVERIFY(lines[2].endsWith(", main title"));

    const QStringList copy = {"--convert",  film,
                              "--title",    "main",
                              "--category", "matroska (mkv)",
                              "--preset",   "Copy video, all audio and subtitles",
                              "--output"};
    QTemporaryDir all;
    QCOMPARE(velko(copy + QStringList{all.path()}).exitCode, 0);
    const QString everything = all.filePath(QStringLiteral("film - Title 03.mkv"));
    QCOMPARE(audioLanguages(everything),
             (QStringList{QStringLiteral("eng"), QStringLiteral("eng"), QStringLiteral("fre")}));
    QVERIFY(std::abs(toneFrequency(everything, 1, 2) - kFilmEnglishTone) < 15);
    QCOMPARE(chapterStarts(everything).size(), 2);
    const QJsonArray subtitles = probe(everything, {"-select_streams", "s", "-show_entries",
                                                    "stream=codec_name:stream_tags"})
                                     .value(QStringLiteral("streams"))
                                     .toArray();
    QCOMPARE(subtitles.size(), 2);
    QCOMPARE(subtitles[1].toObject().value("tags").toObject().value("language").toString(),
             QStringLiteral("fre"));
    // Each track in its own colours, its forced pictures still marked so.
    QVERIFY(nearColour(pictureColour(everything, 6, kBoxX, kNormalY, 0), kEnglishColour));
    QVERIFY(!nearColour(pictureColour(everything, 6, kBoxX, kNormalY, 0, true), kEnglishColour));
    QVERIFY(nearColour(pictureColour(everything, 13, kBoxX, kForcedY, 0, true), kEnglishColour));
    QVERIFY(nearColour(pictureColour(everything, 25, kBoxX, kNormalY, 1), kFrenchColour));

    QTemporaryDir french;
    QCOMPARE(
        velko(copy + QStringList{french.path(), "--audio", "FR", "--subtitles", "none"}).exitCode,
        0);
    const QString chosen = french.filePath(QStringLiteral("film - Title 03.mkv"));
    QCOMPARE(audioLanguages(chosen), QStringList{QStringLiteral("fre")});
    QVERIFY(std::abs(toneFrequency(chosen, 1, 2) - kFilmFrenchTone) < 15);
    QVERIFY(probe(chosen, {"-select_streams", "s", "-show_entries", "stream=index"})
                .value(QStringLiteral("streams"))
                .toArray()
                .isEmpty());
}

void TstTitleCommandsE2e::burnsTheFilmsSubtitles_data()
{
    QTest::addColumn<QStringList>("choice");
    QTest::addColumn<int>("tone");
    QTest::addColumn<int>("forcedColour"); // the English forced box at 13 s, or -1
    QTest::addColumn<int>("normalColour"); // the English normal box at 6 s, or -1
    QTest::newRow("default") << QStringList() << kFilmEnglishTone << kEnglishColour << -1;
    QTest::newRow("French, English subtitles")
        << QStringList{"--audio", "fr", "--subtitles", "en"} << kFilmFrenchTone << kEnglishColour
        << kEnglishColour;
}

// The film converted for a device: the chosen sound, and the forced
// subtitles of its language (or the stream asked for) drawn into the
// picture in the title's own colours.
void TstTitleCommandsE2e::burnsTheFilmsSubtitles()
{
    QFETCH(QStringList, choice);
    QFETCH(int, tone);
    QFETCH(int, forcedColour);
    QFETCH(int, normalColour);
    QTemporaryDir out;
    const Run done = velko(QStringList{"--convert", filmFixture(QStringLiteral("film")), "--title",
                                       "main", "--category", "Google Android", "--preset",
                                       "Google Android compatible video", "--output", out.path()} +
                           choice);
    QCOMPARE(done.exitCode, 0);
    const QString file = out.filePath(QStringLiteral("film - Title 03.mp4"));
    QVERIFY(std::abs(toneFrequency(file, 1, 2) - tone) < 15);
    // The 4:3 picture fills the height of the frame, centred.
    const QJsonArray video =
        probe(file, {"-select_streams", "v:0", "-show_entries", "stream=width,height"})
            .value(QStringLiteral("streams"))
            .toArray();
    QVERIFY(!video.isEmpty());
    const int width = video.first().toObject().value("width").toInt();
    const int height = video.first().toObject().value("height").toInt();
    const auto at = [&](double seconds, int y) {
        return pictureColour(file, seconds, width / 2, y * height / 576);
    };
    QCOMPARE(nearColour(at(13, kForcedY), kEnglishColour), forcedColour == kEnglishColour);
    QCOMPARE(nearColour(at(6, kNormalY), kEnglishColour), normalColour == kEnglishColour);
    // The French forced box is not drawn: it is no choice of either run.
    QVERIFY(!nearColour(at(31, kForcedY), kFrenchColour));
}

void TstTitleCommandsE2e::failuresHaveCodesAndMessages()
{
    const QString ntsc = dvdFixture(QStringLiteral("ntsc"));
    const QString out = m_out.path();
    struct Case {
        QStringList arguments;
        int exitCode;
        QByteArray message;
    };
    const QList<Case> cases = {
        {{"--convert", ntsc, "--title", "1", "--category", "Nope", "--preset", "x", "--output",
          out},
         2,
         "Unknown category 'Nope'"},
        {{"--convert", ntsc, "--title", "1", "--category", "MPEG-4", "--preset", "x", "--output",
          out},
         2,
         "Unknown preset 'x'"},
        {{"--convert", ntsc, "--title", "9", "--category", "Google Android", "--preset",
          "Google Android compatible video", "--output", out},
         2,
         "has no title 9"},
        {{"--convert", ntsc, "--title", "one", "--category", "Google Android", "--preset",
          "Google Android compatible video", "--output", out},
         2,
         "--title needs a title number"},
        {{"--convert", ntsc, "--title", "1"}, 2, "--convert also needs --category"},
        {{"--title", "1"}, 2, "--title belongs to --convert"},
        {{"--convert", ntsc, "--title", "1", "--audio", "de", "--category", "Google Android",
          "--preset", "Google Android compatible video", "--output", out},
         2,
         "has no audio track 'de'"},
        {{"--convert", ntsc, "--title", "1", "--subtitles", "2", "--category", "Google Android",
          "--preset", "Google Android compatible video", "--output", out},
         2,
         "has no subtitle stream '2'"},
        {{"--list-titles", out}, 3, "Cannot list the titles"},
        {{"--convert", ntsc, "--title", "1", "--category", "Google Android", "--preset",
          "Google Android compatible video", "--output", out + QStringLiteral("/missing")},
         4,
         "does not exist"},
        {{"--convert", ntsc, "--title", "1", "--category", "Google Android", "--preset",
          "Google Android compatible video", "--output", "/proc"},
         4,
         "Cannot write in the output folder"},
        {{"--convert", titleFixture(QStringLiteral("zeroed")), "--title", "1", "--category",
          "Google Android", "--preset", "Google Android compatible video", "--output", out},
         1,
         "The conversion failed"},
    };
    for (const Case &c : cases) {
        const Run result = velko(c.arguments);
        QVERIFY2(result.exitCode == c.exitCode && result.output.contains(c.message),
                 qPrintable(c.arguments.join(u' ') + QStringLiteral(" -> ") +
                            QString::number(result.exitCode) + u' ' +
                            QString::fromUtf8(result.output.left(400))));
    }
}

// A title whose data no converter can use: the converter's last line, as
// the run's log ends the job with, is repeated after the failure, and an
// earlier file that --overwrite was to replace makes no success of it.
void TstTitleCommandsE2e::failedConversionRepeatsTheConverter()
{
    QTemporaryDir out;
    const QStringList arguments = {"--convert",  titleFixture(QStringLiteral("zeroed")),
                                   "--title",    "1",
                                   "--category", "Google Android",
                                   "--preset",   "Google Android compatible video",
                                   "--output",   out.path()};
    const Run failed = velko(arguments);
    QCOMPARE(failed.exitCode, 1);

    QFile log(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
              QStringLiteral("/Media Converter/log/conversion.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    const QByteArray mark = "=== FAILED: ";
    const qsizetype at = text.lastIndexOf(mark);
    QVERIFY2(at >= 0, text.constData());
    const QByteArray line = text.mid(at + mark.size(), text.indexOf('\n', at) - at - mark.size());
    QVERIFY(!line.trimmed().isEmpty());
    QVERIFY2(failed.output.contains("The conversion failed") &&
                 failed.output.contains('\n' + line + '\n'),
             failed.output.constData());

    QFile earlier(out.filePath(QStringLiteral("zeroed - Title 01.mp4")));
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
    earlier.close();
    const Run again = velko(arguments + QStringList{"--overwrite"});
    QVERIFY2(again.exitCode == 1 && again.output.contains(line), again.output.constData());
    QVERIFY(!again.output.contains("100%"));
}

void TstTitleCommandsE2e::stopSignalsEndTheConversion_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("Ctrl-C") << SIGINT;
    QTest::newRow("SIGTERM") << SIGTERM;
}

// A stop signal during a conversion of the 16-minute title ends the run
// within seconds, says so, fails, and leaves no converter running and no
// hidden file behind.
void TstTitleCommandsE2e::stopSignalsEndTheConversion()
{
    QFETCH(int, signal);
    QTemporaryDir out;
    QProcess velko;
    velko.setProcessEnvironment(headless());
    velko.setProcessChannelMode(QProcess::MergedChannels);
    velko.start(program(), {"--convert", dvdFixture(QStringLiteral("big")), "--title", "1",
                            "--category", "Google Android", "--preset",
                            "Google Android compatible video", "--output", out.path()});
    QByteArray output;
    QVERIFY(QTest::qWaitFor(
        [&] {
            velko.waitForReadyRead(100);
            output += velko.readAll();
            return output.contains('%') || velko.state() == QProcess::NotRunning;
        },
        60000));
    const QList<pid_t> converters = testsupport::descendants(pid_t(velko.processId()));
    QVERIFY2(!converters.isEmpty(), output.constData());
    QCOMPARE(::kill(pid_t(velko.processId()), signal), 0);
    const bool ended = velko.waitForFinished(60000);
    if (!ended)
        velko.kill();
    QVERIFY2(ended, "the conversion ran on after the signal");
    output += velko.readAll();
    QCOMPARE(velko.exitStatus(), QProcess::NormalExit);
    QCOMPARE(velko.exitCode(), 1);
    QVERIFY2(output.contains("Stopped.") && !output.contains("100%"), output.constData());
    for (const pid_t pid : converters)
        QVERIFY(QTest::qWaitFor([pid] { return !testsupport::processAlive(pid); }, 10000));
    const QStringList hidden =
        QDir(out.path()).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    QVERIFY2(hidden.isEmpty(), qPrintable(hidden.join(u' ')));
}

QTEST_GUILESS_MAIN(TstTitleCommandsE2e)
#include "tst_title_commands_e2e.moc"
