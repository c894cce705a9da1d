// The picture filter chain the launcher builds for each kind of preset and
// source: the shape kept in the preset's frame, interlacing and telecine
// undone for progressive output, the title's own rate, the bars cropped.
#include "PictureChain.h"

#include <QStringList>
#include <QTest>

namespace
{

std::vector<std::string> tokens(const QString &text)
{
    std::vector<std::string> result;
    for (const QString &token : text.split(u' ', Qt::SkipEmptyParts))
        result.push_back(token.toStdString());
    return result;
}

QString joined(const std::vector<std::string> &list)
{
    QStringList parts;
    for (const std::string &token : list)
        parts.append(QString::fromStdString(token));
    return parts.join(u' ');
}

// "720x576 16:9 25 interlaced [W:H:X:Y] [pulldown]".
SourcePicture source(const QString &text)
{
    const QStringList parts = text.split(u' ');
    SourcePicture picture;
    const QStringList size = parts[0].split(u'x');
    picture.width = size[0].toInt();
    picture.height = size[1].toInt();
    picture.aspect = Ratio::parse(parts[1].toStdString()).value_or(Ratio());
    picture.rate = Ratio::parse(parts[2].toStdString()).value_or(Ratio());
    picture.scan = scanClassFromName(parts[3].toStdString());
    for (const QString &part : parts.mid(4)) {
        if (part == u"pulldown")
            picture.pulldownFlags = true;
        else
            picture.bars = Crop::parse(part.toStdString());
    }
    return picture;
}

} // namespace

class TestPictureChain : public QObject
{
    Q_OBJECT

private slots:
    void chains_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("settings"); // deinterlace mode, "nocrop", "overlay=..."
        QTest::addColumn<QString>("expected");

        QTest::newRow("16:9 into a 4:3 frame: letterbox; PAL's own rate, not 24")
            << "-f mp4 -r 24 -vcodec libx264 -vf scale=320:240 -aspect 4:3"
            << "720x576 16:9 25 progressive"
            << ""
            << "-f mp4 -vcodec libx264 -vf scale=320:180,pad=320:240:0:30,setsar=1 -aspect 4:3 "
               "-r 25";
        QTest::newRow("4:3 interlaced into a 16:9 frame: deinterlaced, pillarbox, 29.97 is NTSC")
            << "-f avi -r 29.97 -vcodec libxvid -vf scale=640:360 -aspect 16:9"
            << "720x480 4:3 30000/1001 interlaced"
            << ""
            << "-f avi -r 29.97 -vcodec libxvid -vf "
               "bwdif=mode=send_frame,scale=480:360,pad=640:360:80:0,setsar=1 -aspect 16:9";
        QTest::newRow("2.35 letterboxed in 4:3: bars cropped, then letterboxed in 16:9")
            << "-f mp4 -r 29.97 -vf scale=640:360 -aspect 16:9"
            << "720x576 4:3 25 progressive 720:326:0:125"
            << ""
            << "-f mp4 -vf crop=720:326:0:124,scale=640:272,pad=640:360:0:44,setsar=1 -aspect "
               "16:9 -r 25";
        QTest::newRow("bars kept when cropping is off")
            << "-f mp4 -r 25 -vf scale=640:360 -aspect 16:9"
            << "720x576 4:3 25 progressive 720:326:0:125"
            << "nocrop"
            << "-f mp4 -r 25 -vf scale=480:360,pad=640:360:80:0,setsar=1 -aspect 16:9";
        QTest::newRow("telecined: restored to film at film's rate")
            << "-r 29.97 -vf scale=640:480 -aspect 4:3"
            << "720x480 4:3 30000/1001 telecined"
            << ""
            << "-vf "
               "fieldmatch=order=auto:combmatch=full,yadif=deint=interlaced,decimate,scale=640:"
               "480,setsar=1 -aspect 4:3 -r 24000/1001";
        QTest::newRow("film by pulldown flags keeps film's rate")
            << "-r 29.97 -vf scale=640:480 -aspect 4:3"
            << "720x480 4:3 30000/1001 progressive pulldown"
            << ""
            << "-vf scale=640:480,setsar=1 -aspect 4:3 -r 24000/1001";
        QTest::newRow("PAL DVD at the source's lines: interlaced by design")
            << "-f dvd -vcodec mpeg2video -r 25.00 -vf scale=352:576 -aspect 4:3"
            << "720x576 4:3 25 interlaced"
            << ""
            << "-f dvd -vcodec mpeg2video -r 25.00 -vf scale=352:576:interl=1,setsar=24/11 "
               "-aspect 4:3";
        QTest::newRow("PAL DVD from NTSC: progressive, and the format's rate")
            << "-f dvd -vcodec mpeg2video -r 25.00 -vf scale=352:576 -aspect 4:3"
            << "720x480 4:3 30000/1001 interlaced"
            << ""
            << "-f dvd -vcodec mpeg2video -r 25.00 -vf "
               "bwdif=mode=send_frame,scale=352:576,setsar=24/11 -aspect 4:3";
        QTest::newRow("DV target: 16:9 letterboxed field by field")
            << "-target pal-dv -aspect 4:3 -f dv"
            << "720x576 16:9 25 interlaced"
            << ""
            << "-vf scale=720:432:interl=1,pad=720:576:0:72,setsar=16/15 -target pal-dv -aspect "
               "4:3 -f dv";
        QTest::newRow("no size of its own: the cropped picture, its own pixel shape")
            << "-crf 35.0 -vcodec libx264"
            << "720x576 16:9 25 progressive 720:432:0:72"
            << ""
            << "-vf crop=720:432:0:72,setsar=64/45 -crf 35.0 -vcodec libx264";
        QTest::newRow("aspect without size: the source's frame at the preset's aspect")
            << "-f webm -aspect 4:3"
            << "720x576 16:9 25 progressive"
            << ""
            << "-vf scale=720:432,pad=720:576:0:72,setsar=16/15 -f webm -aspect 4:3";
        QTest::newRow("a cropping preset fills its frame")
            << "-r 29.97 -vf crop=iw:ih-2*60,scale=320:144 -vcodec libx264 -aspect 2.35"
            << "720x576 16:9 25 progressive"
            << ""
            << "-vf crop=720:436:0:70,scale=320:144,setsar=423/400 -vcodec libx264 -aspect 2.35 "
               "-r 25";
        QTest::newRow("a padding preset's frame, the picture fitted anew")
            << "-r 15 -vf scale=176:100,pad=iw:ih+2*22:0:22 -vcodec h263"
            << "720x576 4:3 25 progressive"
            << ""
            << "-r 15 -vf scale=176:132,pad=176:144:0:6,setsar=1 -vcodec h263";
        QTest::newRow("overlay: after deinterlacing, before the fit; bars kept")
            << "-r 25 -vf scale=320:240 -aspect 4:3"
            << "720x576 4:3 25 interlaced 720:432:0:72"
            << "overlay=0:i:0x20"
            << "-r 25 -filter_complex "
               "[0:v:0]bwdif=mode=send_frame[whole];[whole][0:i:0x20]overlay,scale=320:240,"
               "setsar=1[picture] -aspect 4:3";
        QTest::newRow("never: interlaced frames stay") << "-vf scale=320:240 -aspect 4:3"
                                                       << "720x576 4:3 25 interlaced"
                                                       << "never"
                                                       << "-vf scale=320:240,setsar=1 -aspect 4:3";
        QTest::newRow("always: progressive frames too")
            << "-vf scale=320:240 -aspect 4:3"
            << "720x576 4:3 25 progressive"
            << "always"
            << "-vf bwdif=mode=send_frame,scale=320:240,setsar=1 -aspect 4:3";
        QTest::newRow("the preset's deinterlacing stands for an unknown class only")
            << "-r 10 -vf yadif,scale=256:192 -aspect 256:192"
            << "720x576 4:3 25 unknown"
            << ""
            << "-r 10 -vf bwdif=mode=send_frame,scale=256:192,setsar=1 -aspect 256:192";
        QTest::newRow("a progressive title is not deinterlaced for the preset")
            << "-r 10 -vf yadif,scale=256:192 -aspect 256:192"
            << "720x576 4:3 25 progressive"
            << ""
            << "-r 10 -vf scale=256:192,setsar=1 -aspect 256:192";
        QTest::newRow("a chain it does not follow: whole pictures in front of it")
            << "-vf scale=trunc(iw/3):ih,hflip"
            << "720x576 4:3 25 interlaced"
            << ""
            << "-vf bwdif=mode=send_frame,scale=trunc(iw/3):ih,hflip";
        QTest::newRow("only the last of two chains counts, one is written")
            << "-vf hflip -aspect 4:3 -vf scale=640:480"
            << "720x576 4:3 25 progressive"
            << ""
            << "-vf scale=640:480,setsar=1 -aspect 4:3";
        QTest::newRow("unknown picture: untouched") << "-r 24 -vf scale=320:240"
                                                    << "0x0 0:0 0 unknown"
                                                    << ""
                                                    << "-r 24 -vf scale=320:240";
        QTest::newRow("copied video: untouched") << "-vcodec copy -r 24"
                                                 << "720x576 4:3 25 interlaced"
                                                 << ""
                                                 << "-vcodec copy -r 24";
    }

    void chains()
    {
        QFETCH(QString, options);
        QFETCH(QString, picture);
        QFETCH(QString, settings);
        QFETCH(QString, expected);

        PictureRequest request;
        request.source = source(picture);
        if (settings == u"never")
            request.settings.deinterlace = DeinterlaceMode::Never;
        else if (settings == u"always")
            request.settings.deinterlace = DeinterlaceMode::Always;
        else if (settings == u"nocrop")
            request.settings.cropBars = false;
        else if (settings.startsWith(u"overlay="))
            request.overlay = settings.mid(8).toStdString();

        const PictureChain chain = buildPictureChain(tokens(options), request);
        QCOMPARE(joined(chain.options), expected);
        QCOMPARE(chain.complex, !request.overlay.empty());
        QVERIFY(!chain.summary.empty());
    }
};

QTEST_APPLESS_MAIN(TestPictureChain)
#include "tst_picturechain.moc"
