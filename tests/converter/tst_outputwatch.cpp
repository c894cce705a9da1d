// What the launcher counts as an output error in ffmpeg's messages, and the
// hidden file a conversion writes before it takes the target's name.
#include "OutputWatch.h"
#include "TempTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

OutputWatch watchOf(const std::string &text)
{
    OutputWatch watch;
    // In pieces, the way a pipe hands it over.
    for (std::size_t at = 0; at < text.size(); at += 7)
        watch.feed(text.data() + at, std::min<std::size_t>(7, text.size() - at));
    watch.finish();
    return watch;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestOutputWatch : public QObject
{
    Q_OBJECT

private slots:
    void outputErrors_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<QByteArray>("line");

        const QByteArray progress = "frame=  131 fps=129 q=7.0 size=768kB time=00:00:05.23 "
                                    "bitrate=1201.0kbits/s speed=5.18x    \r";
        QTest::newRow("disk full at the trailer")
            << progress + "[mp4 @ 0x55d] Error writing trailer of /out/.a.torvane-x.mp4: No "
                          "space left on device\r\nframe=  200 fps=133 Lsize=1523kB\n"
            << true
            << QByteArray("[mp4 @ 0x55d] Error writing trailer of /out/.a.torvane-x.mp4: No "
                          "space left on device");
        QTest::newRow("a packet that could not be written")
            << progress + "av_interleaved_write_frame(): No space left on device\n"
                          "Error writing trailer of x.avi: No space left on device\n"
            << true << QByteArray("av_interleaved_write_frame(): No space left on device");
        QTest::newRow("closing") << QByteArray("Error closing file x.mkv: Input/output error\n")
                                 << true
                                 << QByteArray("Error closing file x.mkv: Input/output error");
        QTest::newRow("read-only, no line end")
            << QByteArray("x.avi: Read-only file system") << true
            << QByteArray("x.avi: Read-only file system");
        QTest::newRow("quota") << QByteArray("x: Disk quota exceeded\n") << true
                               << QByteArray("x: Disk quota exceeded");
        // A scratched disc gives decoding errors in passing; they end nothing.
        QTest::newRow("damaged input")
            << progress +
                   "[mpeg2video @ 0x55] ac-tex damaged at 12 30\n"
                   "[mpeg2video @ 0x55] Warning MVs not available\n"
                   "Error while decoding stream #0:1: Invalid data found when "
                   "processing input\n" +
                   progress
            << false << QByteArray();
        QTest::newRow("clean run") << progress + progress + "\n" << false << QByteArray();
    }
    void outputErrors()
    {
        QFETCH(QByteArray, output);
        QFETCH(bool, failed);
        QFETCH(QByteArray, line);
        const OutputWatch watch = watchOf(output.toStdString());
        QCOMPARE(watch.outputFailed(), failed);
        QCOMPARE(QByteArray::fromStdString(watch.failureLine()), line);
    }

    // Only ffmpeg's own messages count, judged without the paths it prints;
    // the lines that tell how far it got are read along.
    void judgedLines_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<qint64>("reached");
        QTest::addColumn<qint64>("inputMs");

        const QByteArray folder = "/out/No space left on device/Read-only file system";
        const QByteArray input = "Input #0, mov,mp4,m4a, from '/in/Error writing trailer.mp4':\n"
                                 "  Duration: 00:11:40.00, start: 0.000000, bitrate: 900 kb/s\n";
        const QByteArray output = "Output #0, mp4, to '" + folder +
                                  "/.a.torvane-x.mp4':\n"
                                  "    title           : Disk quota exceeded\n";
        const QByteArray progress = "frame=  131 fps=129 size=768kB time=00:05:49.20 speed=5x\r";
        QTest::newRow("folder named like errors")
            << input + output + progress + folder + "/.a.torvane-x.mp4: Invalid argument\n"
            << int(outcome::Failure::None) << false << qint64(349200) << qint64(700000);
        QTest::newRow("disk full in such a folder")
            << output + "Error writing trailer of " + folder +
                   "/.a.torvane-x.mp4: No space left on device\n"
            << int(outcome::Failure::DiskFull) << false << qint64(-1) << qint64(-1);
        QTest::newRow("read-only")
            << folder + "/.a.torvane-x.mp4: Read-only file system\n"
            << int(outcome::Failure::NotWritable) << false << qint64(-1) << qint64(-1);
        QTest::newRow("stopped by q")
            << input + progress + "\n\n[q] command received. Exiting.\n\n" + progress
            << int(outcome::Failure::None) << true << qint64(349200) << qint64(700000);
    }
    void judgedLines()
    {
        QFETCH(QByteArray, output);
        OutputWatch watch;
        watch.setPaths({"/out/No space left on device/Read-only file system/.a.torvane-x.mp4"});
        watch.feed(output.constData(), std::size_t(output.size()));
        watch.finish();
        QTEST(int(watch.failureKind()), "kind");
        QTEST(watch.stopReceived(), "stopped");
        QTEST(qint64(watch.reachedMs()), "reached");
        QTEST(qint64(watch.inputDurationMs()), "inputMs");
    }

    void lastErrorLine()
    {
        OutputWatch watch = watchOf("Input #0, mpeg, from 'a.VOB':\n"
                                    "Unknown encoder 'no_such_encoder'\n"
                                    "Conversion failed!\n");
        QVERIFY(!watch.outputFailed());
        QCOMPARE(watch.lastErrorLine(), std::string("Unknown encoder 'no_such_encoder'"));
        QVERIFY(watchOf("frame=1 fps=0 size=0kB time=00:00:00.00 bitrate=N/A speed=1x\r")
                    .lastErrorLine()
                    .empty());
    }

    void hiddenNameKeepsTheExtension_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("suffix");
        QTest::newRow("usual") << "/out/VTS_01_1.mp4"
                               << "/out/.VTS_01_1.torvane-XXXXXX.mp4" << 4;
        QTest::newRow("two dots") << "/out/a.b.avi"
                                  << "/out/.a.b.torvane-XXXXXX.avi" << 4;
        QTest::newRow("no extension") << "/out/film"
                                      << "/out/.film.torvane-XXXXXX" << 0;
        QTest::newRow("hidden already") << "/out/.film"
                                        << "/out/..film.torvane-XXXXXX" << 0;
        QTest::newRow("dot in the folder") << "/a.b/film"
                                           << "/a.b/.film.torvane-XXXXXX" << 0;
        QTest::newRow("relative") << "film.dv"
                                  << ".film.torvane-XXXXXX.dv" << 3;
        // The longest name a file system takes: the hidden one is as long,
        // the name shortened where it would not be.
        const QString longStem(251, u'e');
        QTest::newRow("longest name") << "/out/" + longStem + ".mp4"
                                      << "/out/." + longStem.left(235) + ".torvane-XXXXXX.mp4" << 4;
        const QString wide(125, QChar(0xe9)); // two bytes each
        QTest::newRow("not inside a character")
            << "/out/" + wide + ".mkv"
            << "/out/." + wide.left(117) + ".torvane-XXXXXX.mkv" << 4;
    }
    void hiddenNameKeepsTheExtension()
    {
        QFETCH(QString, target);
        QFETCH(QString, pattern);
        QFETCH(int, suffix);
        int suffixLength = -1;
        QCOMPARE(QString::fromStdString(TempTarget::pattern(target.toStdString(), suffixLength)),
                 pattern);
        QVERIFY(QFileInfo(pattern).fileName().toUtf8().size() <= 255);
        QCOMPARE(suffixLength, suffix);
    }

    void commitReplacesDiscardKeeps()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("film.mp4");
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old film");
        old.close();

        std::string hidden;
        {
            TempTarget temp;
            QVERIFY(temp.create(target.toStdString()));
            hidden = temp.path();
            const QFileInfo info(QString::fromStdString(hidden));
            QVERIFY(info.isFile());
            QCOMPARE(info.path(), dir.path());
            QVERIFY(info.fileName().startsWith(u'.'));
            QVERIFY(info.fileName().endsWith(QStringLiteral(".mp4")));
            QVERIFY(temp.discard());
            QVERIFY(!QFileInfo::exists(info.filePath()));
        }
        QCOMPARE(readFile(target), QByteArray("old film"));

        {
            // Not committed: the destructor takes the file away.
            TempTarget temp;
            QVERIFY(temp.create(target.toStdString()));
            hidden = temp.path();
        }
        QVERIFY(!QFileInfo::exists(QString::fromStdString(hidden)));
        QCOMPARE(readFile(target), QByteArray("old film"));

        const mode_t mask = ::umask(022);
        TempTarget temp;
        QVERIFY(temp.create(target.toStdString()));
        QFile fresh(QString::fromStdString(temp.path()));
        QVERIFY(fresh.open(QIODevice::WriteOnly));
        fresh.write("new film");
        fresh.close();
        QVERIFY(temp.commit());
        ::umask(mask);
        QCOMPARE(readFile(target), QByteArray("new film"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"film.mp4"});
        struct stat info {
        };
        QCOMPARE(::stat(target.toLocal8Bit().constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0644));
    }

    void cannotCreateInAMissingFolder()
    {
        TempTarget temp;
        QVERIFY(!temp.create("/nonexistent/folder/film.mp4"));
        QCOMPARE(errno, ENOENT);
    }

    void devicesAreWrittenDirectly()
    {
        QVERIFY(TempTarget::writesDirectly("/dev/null"));
        QVERIFY(!TempTarget::writesDirectly("/nonexistent/film.mp4"));
        QTemporaryDir dir;
        QVERIFY(!TempTarget::writesDirectly(dir.path().toStdString()));
    }
};

QTEST_GUILESS_MAIN(TestOutputWatch)
#include "tst_outputwatch.moc"
