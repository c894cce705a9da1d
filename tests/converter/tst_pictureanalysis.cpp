// What the launcher makes of ffmpeg's idet and cropdetect reports and of the
// stream's picture flags, and how it keeps the result.
#include "PictureCache.h"
#include "ScanAnalysis.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(std::vector<SampleFindings>)

namespace
{

// One sample from "woven whole untold repeated" idet totals.
SampleFindings idet(int woven, int whole, int untold, int repeated)
{
    SampleFindings sample;
    sample.topFirst = woven;
    sample.progressive = whole;
    sample.undetermined = untold;
    sample.repeatedTop = repeated / 2;
    sample.repeatedBottom = repeated - repeated / 2;
    sample.repeatedNeither = woven + whole + untold - repeated;
    return sample;
}

std::vector<SampleFindings> crops(const QStringList &answers)
{
    std::vector<SampleFindings> samples;
    for (const QString &answer : answers) {
        SampleFindings sample;
        sample.crop = Crop::parse(answer.toStdString());
        samples.push_back(sample);
    }
    return samples;
}

} // namespace

class TestPictureAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void readsFfmpegReport()
    {
        const char *text =
            "[Parsed_cropdetect_1 @ 0x5] x1:0 x2:719 y1:72 y2:503 w:720 h:432 x:0 y:72 pts:0 "
            "t:0.0 crop=720:432:0:72\r\n"
            "[Parsed_cropdetect_1 @ 0x5] x1:0 x2:719 y1:70 y2:505 w:720 h:436 x:0 y:70 pts:1 "
            "t:0.04 crop=720:436:0:70\n"
            "[Parsed_idet_0 @ 0x5] Repeated Fields: Neither:    72 Top:    24 Bottom:    23\n"
            "[Parsed_idet_0 @ 0x5] Single frame detection: TFF:    96 BFF:     0 Progressive:    "
            "24 Undetermined:     0\n"
            "[Parsed_idet_0 @ 0x5] Multi frame detection: TFF:   116 BFF:     2 Progressive:     "
            "4 Undetermined:     1\n";
        const SampleFindings found = parseSampleOutput(text);
        QCOMPARE(found.topFirst, 116);
        QCOMPARE(found.bottomFirst, 2);
        QCOMPARE(found.progressive, 4);
        QCOMPARE(found.undetermined, 1);
        QCOMPARE(found.repeatedNeither, 72);
        QCOMPARE(found.repeatedTop, 24);
        QCOMPARE(found.repeatedBottom, 23);
        QCOMPARE(found.crop, std::optional<Crop>(Crop{720, 436, 0, 70}));
        // A black sample has no picture to find.
        QVERIFY(!parseSampleOutput("x:720 y:576 crop=-718:-574:720:576\n").crop);
    }

    void classifies_data()
    {
        QTest::addColumn<std::vector<SampleFindings>>("samples");
        QTest::addColumn<int>("flaggedWhole"); // of 100 flagged pictures; -1 for no flags
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("expected");

        using S = std::vector<SampleFindings>;
        QTest::newRow("woven") << S{idet(60, 0, 0, 0), idet(40, 0, 5, 0)} << -1 << 25.0
                               << "interlaced";
        QTest::newRow("3:2 repeats at NTSC rate")
            << S{idet(116, 4, 0, 48)} << 0 << 29.97 << "telecined";
        QTest::newRow("repeats at PAL rate are no telecine")
            << S{idet(116, 4, 0, 48)} << 0 << 25.0 << "interlaced";
        QTest::newRow("whole") << S{idet(0, 100, 0, 0)} << -1 << 25.0 << "progressive";
        QTest::newRow("a third woven") << S{idet(40, 60, 0, 0)} << -1 << 25.0 << "interlaced";
        QTest::newRow("under a third woven")
            << S{idet(30, 70, 0, 0)} << -1 << 25.0 << "progressive";
        QTest::newRow("fine detail in pictures flagged whole")
            << S{idet(74, 26, 0, 0)} << 100 << 25.0 << "progressive";
        QTest::newRow("woven nearly throughout, flags or not")
            << S{idet(95, 5, 0, 0)} << 100 << 25.0 << "interlaced";
        QTest::newRow("a still picture: the flags say interlaced")
            << S{idet(0, 2, 90, 0)} << 0 << 25.0 << "interlaced";
        QTest::newRow("a still picture: the flags say whole")
            << S{idet(0, 2, 90, 0)} << 100 << 25.0 << "progressive";
        QTest::newRow("a still picture without flags")
            << S{idet(0, 2, 90, 0)} << -1 << 25.0 << "unknown";
    }

    void classifies()
    {
        QFETCH(std::vector<SampleFindings>, samples);
        QFETCH(int, flaggedWhole);
        QFETCH(double, rate);
        QFETCH(QString, expected);
        PictureFlags flags;
        if (flaggedWhole >= 0) {
            flags.pictures = 100;
            flags.progressiveFrames = flaggedWhole;
        }
        const Ratio videoRate = rate == 25.0 ? Ratio(25, 1) : Ratio(30000, 1001);
        QCOMPARE(QString::fromUtf8(scanClassName(classifyScan(samples, flags, videoRate))),
                 expected);
    }

    void agreesOnBars_data()
    {
        QTest::addColumn<QStringList>("answers"); // a sample's crop, "" for a black one
        QTest::addColumn<QString>("expected");

        QTest::newRow("all alike") << QStringList(5, "720:432:0:72") << "720:432:0:72";
        QTest::newRow("three of five within a few pixels: their extent")
            << QStringList{"720:432:0:72", "720:436:0:70", "720:430:0:74", "720:300:0:140",
                           "704:576:8:0"}
            << "720:436:0:70";
        QTest::newRow("two of five: no majority")
            << QStringList{"720:432:0:72", "720:432:0:72", "720:300:0:140", "704:576:8:0",
                           "720:500:0:40"}
            << "";
        QTest::newRow("black samples do not vote")
            << QStringList{"720:432:0:72", "", "720:432:0:72", "", ""} << "720:432:0:72";
        QTest::newRow("a nearly black picture does not vote")
            << QStringList{"720:432:0:72", "100:80:300:250", "100:80:300:250", "720:432:0:72"}
            << "720:432:0:72";
        QTest::newRow("the whole frame: no bars") << QStringList(3, "720:576:0:0") << "";
        QTest::newRow("edges of two pixels are no bars") << QStringList(3, "716:574:2:0") << "";
    }

    void agreesOnBars()
    {
        QFETCH(QStringList, answers);
        QFETCH(QString, expected);
        const std::optional<Crop> bars = agreedBars(crops(answers), 720, 576);
        QCOMPARE(bars ? QString::fromStdString(bars->text()) : QString(), expected);
    }

    void countsPictureFlags()
    {
        // A sequence extension (progressive_sequence clear), then picture
        // coding extensions: whole with a repeated field, whole, woven.
        const std::vector<std::uint8_t> stream = {
            0x00, 0x00, 0x01, 0xb5, 0x14, 0x82, 0x00, 0x01, 0x00, 0x00, //
            0x00, 0x00, 0x01, 0xb5, 0x8f, 0xff, 0xf3, 0x82, 0x80, 0x00, //
            0x00, 0x00, 0x01, 0xb5, 0x8f, 0xff, 0xf3, 0x80, 0x80, 0x00, //
            0x00, 0x00, 0x01, 0xb5, 0x8f, 0xff, 0xf3, 0x80, 0x00, 0x00, 0x00};
        PictureFlags flags;
        countPictureFlags(stream.data(), stream.size(), flags);
        QCOMPARE(flags.pictures, 3);
        QCOMPARE(flags.progressiveFrames, 2);
        QCOMPARE(flags.repeatedFields, 1);
        QVERIFY(!flags.progressiveSequence);
    }

    void keepsAnalyses()
    {
        QTemporaryDir folder;
        const PictureCache cache(folder.path().toStdString());
        PictureAnalysis analysis;
        analysis.scan = ScanClass::Telecined;
        analysis.bars = Crop{720, 360, 0, 60};
        analysis.details = "5 samples";
        analysis.frame.width = 720;
        analysis.frame.height = 480;
        analysis.frame.aspect = Ratio(16, 9);
        analysis.frame.rate = Ratio(30000, 1001);
        const std::string key = PictureCache::titleKey("0123abcd", 3);
        QVERIFY(!cache.find(key));
        QVERIFY(cache.store(key, analysis));
        const std::optional<PictureAnalysis> found = cache.find(key);
        QVERIFY(found);
        QCOMPARE(found->scan, ScanClass::Telecined);
        QCOMPARE(found->bars, analysis.bars);
        QCOMPARE(found->frame.height, 480);
        QCOMPARE(found->frame.aspect, Ratio(16, 9));
        QCOMPARE(found->frame.rate, Ratio(30000, 1001));
        QVERIFY(!cache.find(PictureCache::titleKey("0123abcd", 4)));

        // A file's key changes when the file does.
        const QString path = folder.filePath("title.vob");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("one");
        file.close();
        const auto before = PictureCache::fileKey(path.toStdString());
        QVERIFY(file.open(QIODevice::Append));
        file.write("two");
        file.close();
        QVERIFY(before && PictureCache::fileKey(path.toStdString()) != before);
    }
};

QTEST_APPLESS_MAIN(TestPictureAnalysis)
#include "tst_pictureanalysis.moc"
