// The launcher core/torvane on the title files of DVD-Video folders: the
// probe answered from the tables without starting ffmpeg, ffmpeg's probe
// where the tables do not read, and conversions fed through libdvdread on
// /dev/fd/3.
#include "DvdTestSupport.h"
#include "Scrambling.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace dvdtest;

namespace
{

QString launcher()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/core/torvane");
}

struct Run {
    int exitCode = -1;
    QByteArray output;
};

Run runLauncher(const QStringList &arguments, const QProcessEnvironment &environment,
                int msBeforeQuit = -1)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(environment);
    process.start(launcher(), arguments);
    Run run;
    if (!process.waitForStarted(10000))
        return run;
    if (msBeforeQuit >= 0) {
        QTest::qWait(msBeforeQuit);
        process.write("q");
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.output = process.readAll();
    return run;
}

// The probe's Duration: in ms, -1 when there is none.
qint64 durationOf(const QByteArray &output)
{
    static const QRegularExpression clock(
        QStringLiteral("Duration: (\\d\\d):(\\d\\d):(\\d\\d)\\.(\\d\\d), "));
    const QRegularExpressionMatch m = clock.match(QString::fromLatin1(output));
    if (!m.hasMatch())
        return -1;
    return ((m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong()) * 60 +
            m.captured(3).toLongLong()) *
               1000 +
           m.captured(4).toLongLong() * 10;
}

} // namespace

class TestDvdProbe : public QObject
{
    Q_OBJECT

    QTemporaryDir m_standIn;
    QProcessEnvironment m_withStandIn;

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(launcher()).isExecutable(), "the converter launcher is not built");
        QVERIFY2(QFileInfo::exists(dvdFixture("big/VIDEO_TS/VTS_01_2.VOB")), "fixtures missing");
        // An ffmpeg that only says it was started, first on PATH.
        QFile script(m_standIn.filePath("ffmpeg"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho 'stand-in ffmpeg started'\nexit 1\n");
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        m_withStandIn = QProcessEnvironment::systemEnvironment();
        m_withStandIn.insert("PATH", m_standIn.path() + u':' + m_withStandIn.value("PATH"));
    }

    void probeDurationMatchesThePacketCount_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("pal");
        QTest::newRow("first piece of a long title") << "big/VIDEO_TS/VTS_01_1.VOB" << true;
        QTest::newRow("end of one title and a whole other") << "big/VIDEO_TS/VTS_01_2.VOB" << true;
        QTest::newRow("title set with two languages") << "big/VIDEO_TS/VTS_02_1.VOB" << true;
        QTest::newRow("NTSC, three titles") << "ntsc/VIDEO_TS/VTS_01_1.VOB" << false;
        QTest::newRow("damaged IFO, good BUP") << "bup/VIDEO_TS/VTS_01_1.VOB" << false;
    }

    void probeDurationMatchesThePacketCount()
    {
        QFETCH(QString, file);
        QFETCH(bool, pal);
        const QString path = dvdFixture(file);
        const Run run = runLauncher({"-i", path}, m_withStandIn);
        QVERIFY2(!run.output.contains("stand-in ffmpeg started"), "ffmpeg was started");
        QVERIFY2(run.output.startsWith("Input #0, mpeg, from '" + path.toUtf8() + "':\n"),
                 run.output.constData());
        QVERIFY(run.output.contains("]: Video: mpeg2video (Main), yuv420p(tv"));
        QVERIFY(run.output.contains("[0x80]: Audio: ac3, 48000 Hz, stereo"));
        const qint64 shown = durationOf(run.output);
        const qint64 counted = framesToMs(countVideoPackets(path),
                                          pal ? dvd::VideoStandard::Pal : dvd::VideoStandard::Ntsc);
        QVERIFY2(counted > 0 && qAbs(shown - counted) < 1000,
                 qPrintable(QStringLiteral("shown %1 ms, packets %2 ms").arg(shown).arg(counted)));
        qInfo("%s: shown %lld ms, packets %lld ms", qPrintable(file), shown, counted);
    }

    void probeFallsBackToFfmpeg_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("IFO and BUP damaged") << dvdFixture("broken/VIDEO_TS/VTS_01_1.VOB");
        QTest::newRow("no IFO files") << dvdFixture("noifo/VIDEO_TS/VTS_01_1.VOB");
        QTest::newRow("not a title file") << dvdFixture("ntsc/VIDEO_TS/VIDEO_TS.IFO");
    }

    void probeFallsBackToFfmpeg()
    {
        QFETCH(QString, file);
        const Run run = runLauncher({"-i", file}, m_withStandIn);
        QVERIFY2(run.output.contains("stand-in ffmpeg started"), run.output.constData());
        QVERIFY(!run.output.contains("Duration:"));
    }

    void forcedReaderConvertsLikeTheFile()
    {
        // Decoded frames of both runs, through libdvdread on /dev/fd/3 and
        // from the file, must be the same.
        QTemporaryDir out;
        const QString source = dvdFixture("ntsc/VIDEO_TS/VTS_01_1.VOB");
        QProcessEnvironment forced = QProcessEnvironment::systemEnvironment();
        forced.insert("VELKO_READ_THROUGH_DVD", "1");
        const QStringList options = {"-map", "0:v:0", "-f", "framemd5"};
        const Run viaReader = runLauncher(
            QStringList{"-y", "-i", source} + options + QStringList{out.filePath("a")}, forced);
        QCOMPARE(viaReader.exitCode, 0);
        QVERIFY2(viaReader.output.contains("reading the title file through libdvdread"),
                 viaReader.output.constData());
        QVERIFY(viaReader.output.contains("/dev/fd/3"));
        const Run direct =
            runLauncher(QStringList{"-y", "-i", source} + options + QStringList{out.filePath("b")},
                        QProcessEnvironment::systemEnvironment());
        QCOMPARE(direct.exitCode, 0);
        QVERIFY(!direct.output.contains("/dev/fd/3"));

        const auto frames = [](const QString &path) {
            QList<QByteArray> lines;
            QFile file(path);
            if (file.open(QIODevice::ReadOnly)) {
                for (const QByteArray &line : file.readAll().split('\n'))
                    if (!line.startsWith('#') && !line.isEmpty())
                        lines << line;
            }
            return lines;
        };
        const QList<QByteArray> a = frames(out.filePath("a"));
        QCOMPARE(a.size(), 570);
        QCOMPARE(a, frames(out.filePath("b")));
    }

    void quitStopsAFedConversion()
    {
        QTemporaryDir out;
        QProcessEnvironment forced = QProcessEnvironment::systemEnvironment();
        forced.insert("VELKO_READ_THROUGH_DVD", "1");
        const QString target = out.filePath("part.avi");
        const Run run = runLauncher({"-y", "-i", dvdFixture("big/VIDEO_TS/VTS_02_1.VOB"), "-vf",
                                     "realtime", "-f", "avi", "-vcodec", "mpeg4", "-an", target},
                                    forced, 2500);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.output.contains("/dev/fd/3"));
        // A stopped conversion is kept aside, never under the name asked for.
        QVERIFY(!QFileInfo::exists(target));
        const qint64 frames = countVideoPackets(out.filePath("part (partial).avi"));
        QVERIFY2(frames > 10 && frames < 200, qPrintable(QString::number(frames)));
    }

    void scrambledFileWithoutDecryptionIsSaid()
    {
        if (dvd::decryptionAvailable())
            QSKIP("libdvdcss is installed here");
        QTemporaryDir dir;
        QByteArray packs = readBytes(dvdFixture("ntsc/VIDEO_TS/VTS_01_1.VOB"), 0, 32 * 2048);
        for (int i = 0; i < 32; ++i) {
            char *pack = packs.data() + i * 2048;
            if (quint8(pack[0x11]) == 0xe0)
                pack[0x14] = char(quint8(pack[0x14]) | 0x30);
        }
        QFile file(dir.filePath("VTS_01_1.VOB"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(packs);
        file.close();
        const Run run =
            runLauncher({"-y", "-i", file.fileName(), "-f", "null", "-"}, m_withStandIn);
        QVERIFY2(run.output.contains("scrambled and libdvdcss is not installed"),
                 run.output.constData());
    }
};

QTEST_GUILESS_MAIN(TestDvdProbe)
#include "tst_dvd_probe_e2e.moc"
