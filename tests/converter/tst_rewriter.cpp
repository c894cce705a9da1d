// The rewrite of preset options for today's ffmpeg, on the preset table's own
// strings and on crafted ones, and the audio resampling the launcher adds
// after it.
#include "ArgumentRewriter.h"
#include "AudioTimestamps.h"

#include <QStringList>
#include <QTest>

namespace
{

// Splits an option string at blanks, as the job script's shell does.
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

QString rewritten(const QString &text)
{
    return joined(rewriteArguments(tokens(text)));
}

// The options as the launcher hands them to ffmpeg.
QString launched(const QString &text)
{
    return joined(withMonotonicAudio(rewriteArguments(tokens(text))));
}

} // namespace

class TestRewriter : public QObject
{
    Q_OBJECT

private slots:
    void presetStrings_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");

        QTest::newRow("PAL DVD Fullscreen: mv0 on mpeg2video")
            << "-f dvd -vcodec mpeg2video -r 25.00 -vf scale=352:576 -aspect 4:3 -b:v 4000k -mbd "
               "rd -trellis 1 -flags +mv0 -cmp 2 -subcmp 2 -acodec mp2 -b:a 192k -ar 48000 -ac 2"
            << "-f dvd -vcodec mpeg2video -r 25.00 -vf scale=352:576 -aspect 4:3 -b:v 4000k -mbd "
               "rd -trellis 1 -mpv_flags +mv0 -cmp 2 -subcmp 2 -acodec mp2 -b:a 192k -ar 48000 -ac "
               "2";
        QTest::newRow("NTSC DVD HQ Widescreen: the encoder comes from -target")
            << "-f dvd -target ntsc-dvd -r 29.97 -vf scale=720:480 -aspect 16:9 -b:v 8000k -g 12 "
               "-mbd rd -trellis 1 -flags +mv0 -cmp 0 -subcmp 2"
            << "-f dvd -target ntsc-dvd -r 29.97 -vf scale=720:480 -aspect 16:9 -b:v 8000k -g 12 "
               "-mbd rd -trellis 1 -mpv_flags +mv0 -cmp 0 -subcmp 2";
        QTest::newRow("Google WebM Generic Widescreen")
            << "-f webm -aspect 16:9 -vcodec libvpx -g 120 -level 216 -profile 0 -qmax 42 -qmin 10 "
               "-rc_buf_aggressivity 0.95 -vb 2M -acodec libvorbis -aq 90 -ac 2"
            << "-f webm -aspect 16:9 -vcodec libvpx -g 120 -profile:v 0 -qmax 42 -qmin 10 -b:v 2M "
               "-acodec libvorbis -q:a 90 -ac 2";
        QTest::newRow("MP4 Fullscreen: x264 spellings and AAC")
            << "-f mp4 -r 29.97 -vcodec libx264 -vf scale=640:480 -aspect 4:3 -b:v 1250k -maxrate "
               "1500k -bufsize 4M -bt 256k -refs 1 -bf 3 -coder 1 -me_method umh -me_range 16 "
               "-subq 7 -partitions +parti4x4+parti8x8+partp8x8+partb8x8 -g 250 -keyint_min 25 "
               "-level 30 -qmin 10 -qmax 51 -qcomp 0.6 -trellis 2 -sc_threshold 40 -i_qfactor "
               "0.71 -b_strategy 2 -qdiff 4 -direct-pred 3 -wpredp 2 -rc_lookahead 50 -acodec "
               "libvo_aacenc -b:a 112k -ar 48000 -ac 2"
            << "-f mp4 -r 29.97 -vcodec libx264 -vf scale=640:480 -aspect 4:3 -b:v 1250k -maxrate "
               "1500k -bufsize 4M -bt 256k -refs 1 -bf 3 -coder 1 -motion-est umh -me_range 16 "
               "-subq 7 -partitions i4x4,i8x8,p8x8,b8x8 -g 250 -keyint_min 25 -level 30 -qmin 10 "
               "-qmax 51 -qcomp 0.6 -trellis 2 -sc_threshold 40 -i_qfactor 0.71 -b_strategy 2 "
               "-qdiff 4 -direct-pred 3 -weightp 2 -rc-lookahead 50 -acodec aac -b:a 112k -ar "
               "48000 -ac 2";
        QTest::newRow("Nokia N810 mplayer 16:9: -async and +aic")
            << "-r 29.97 -vcodec libxvid -vtag XVID -vf scale=400:240 -aspect 16:9 -maxrate 1200k "
               "-b:v 1200k -qmin 3 -qmax 5 -bufsize 4096 -mbd 2 -bf 2 -trellis 1 -flags +aic -cmp "
               "2 "
               "-subcmp 2 -g 300 -acodec libmp3lame -ar 44100 -b:a 160k -ac 2 -async 1"
            << "-r 29.97 -vcodec libxvid -vtag XVID -vf scale=400:240 -aspect 16:9 -maxrate 1200k "
               "-b:v 1200k -qmin 3 -qmax 5 -bufsize 4096 -mbd 2 -bf 2 -trellis 1 -flags +aic -cmp "
               "2 "
               "-subcmp 2 -g 300 -acodec libmp3lame -ar 44100 -b:a 160k -ac 2 -af "
               "aresample=async=1:min_hard_comp=0.1:first_pts=0";
        QTest::newRow("Tuna-vIDS: -deinterlace joins the existing -vf")
            << "-f avi -r 10 -vf scale=256:192 -aspect 256:192 -b:v 192k -bt 64k -vcodec libxvid "
               "-deinterlace -acodec libmp3lame -ar 32000 -b:a 96k -ac 2"
            << "-f avi -r 10 -vf yadif,scale=256:192 -aspect 256:192 -b:v 192k -bt 64k -vcodec "
               "libxvid -acodec libmp3lame -ar 32000 -b:a 96k -ac 2";
        QTest::newRow("Raw DV for PAL: audio resampled")
            << "-target pal-dv -aspect 4:3 -f dv"
            << "-target pal-dv -aspect 4:3 -f dv -af aresample=async=1";
    }

    void presetStrings()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(rewritten(input), expected);
    }

    void motionVectorFlag_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");

        QTest::newRow("native encoder, other flags stay on -flags")
            << "-vcodec mpeg4 -flags +mv0+aic -b:v 1M"
            << "-vcodec mpeg4 -flags +aic -mpv_flags +mv0 -b:v 1M";
        QTest::newRow("libx264 drops mv0 alone") << "-vcodec libx264 -flags +mv0 -crf 20"
                                                 << "-vcodec libx264 -crf 20";
        QTest::newRow("libx264 keeps the other flags") << "-vcodec libx264 -flags +mv0+aic"
                                                       << "-vcodec libx264 -flags +aic";
        QTest::newRow("libxvid drops mv0") << "-c:v libxvid -flags +aic+mv0"
                                           << "-c:v libxvid -flags +aic";
        QTest::newRow("a later -vcodec wins over -target")
            << "-target pal-dvd -vcodec libx264 -flags +mv0"
            << "-target pal-dvd -vcodec libx264";
        QTest::newRow("a later -target wins over -vcodec")
            << "-vcodec libx264 -target pal-dvd -flags +mv0"
            << "-vcodec libx264 -target pal-dvd -mpv_flags +mv0";
        QTest::newRow("no encoder given") << "-f avi -flags +mv0"
                                          << "-f avi -mpv_flags +mv0";
        QTest::newRow("wmv2") << "-flags +mv0 -vcodec wmv2"
                              << "-mpv_flags +mv0 -vcodec wmv2";
        QTest::newRow("h263 through -c:v") << "-c:v h263 -flags mv0"
                                           << "-c:v h263 -mpv_flags +mv0";
        QTest::newRow("cleared flag") << "-vcodec mpeg2video -flags -mv0"
                                      << "-vcodec mpeg2video -mpv_flags -mv0";
        QTest::newRow("joins an existing -mpv_flags")
            << "-vcodec mpeg4 -flags +mv0 -mpv_flags +qp_rd"
            << "-vcodec mpeg4 -mpv_flags +qp_rd+mv0";
        QTest::newRow("flags without mv0 untouched") << "-vcodec mpeg4 -flags +aic+ilme"
                                                     << "-vcodec mpeg4 -flags +aic+ilme";
        QTest::newRow("mv0 as part of another name") << "-vcodec mpeg4 -flags +mv00"
                                                     << "-vcodec mpeg4 -flags +mv00";
    }

    void motionVectorFlag()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(rewritten(input), expected);
    }

    void filterChains_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");

        QTest::newRow("deinterlace alone becomes -vf in its place") << "-r 10 -deinterlace -b:v 1M"
                                                                    << "-r 10 -vf yadif -b:v 1M";
        QTest::newRow("vf after deinterlace")
            << "-deinterlace -b:v 1M -vf crop=iw:ih-2*60,scale=1:2"
            << "-b:v 1M -vf yadif,crop=iw:ih-2*60,scale=1:2";
        QTest::newRow("only the last -vf counts") << "-vf scale=1:2 -deinterlace -vf crop=3:4"
                                                  << "-vf scale=1:2 -vf yadif,crop=3:4";
        QTest::newRow("-filter:v is a video chain too") << "-filter:v scale=2:2 -deinterlace"
                                                        << "-filter:v yadif,scale=2:2";
        QTest::newRow("deinterlace twice, yadif once") << "-deinterlace -deinterlace -r 5"
                                                       << "-vf yadif -r 5";
        QTest::newRow("async without -af") << "-ac 2 -async 1 -ar 44100"
                                           << "-ac 2 -af "
                                              "aresample=async=1:min_hard_comp=0.1:first_pts=0 "
                                              "-ar 44100";
        QTest::newRow("async joins a later -af")
            << "-async 25 -af volume=2"
            << "-af volume=2,aresample=async=25:min_hard_comp=0.1:first_pts=0";
        QTest::newRow("DV joins an existing -af") << "-af volume=2 -target ntsc-dv"
                                                  << "-af volume=2,aresample=async=1 -target "
                                                     "ntsc-dv";
        QTest::newRow("DV with -async resamples once")
            << "-target ntsc-dv -async 1"
            << "-target ntsc-dv -af aresample=async=1:min_hard_comp=0.1:first_pts=0";
        QTest::newRow("DV already resampled") << "-target pal-dv -af aresample=async=1"
                                              << "-target pal-dv -af aresample=async=1";
        QTest::newRow("dv50 is DV") << "-target pal-dv50"
                                    << "-target pal-dv50 -af aresample=async=1";
        QTest::newRow("DVD is not DV") << "-target pal-dvd"
                                       << "-target pal-dvd";
        QTest::newRow("-f dv alone is left to the muxer") << "-f dv"
                                                          << "-f dv";
    }

    void filterChains()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(rewritten(input), expected);
    }

    void encoderSpecific_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");

        QTest::newRow("libvpx keeps -rc_lookahead, loses -level")
            << "-vcodec libvpx -rc_lookahead 16 -level 216"
            << "-vcodec libvpx -rc_lookahead 16";
        QTest::newRow("unknown encoder keeps both") << "-rc_lookahead 16 -level 30 -me_method umh"
                                                    << "-rc_lookahead 16 -level 30 -me_method umh";
        QTest::newRow("partitions with a removal stay")
            << "-vcodec libx264 -partitions +parti4x4-partp8x8"
            << "-vcodec libx264 -partitions +parti4x4-partp8x8";
        QTest::newRow("partitions of another encoder stay") << "-vcodec mpeg4 -partitions +parti4x4"
                                                            << "-vcodec mpeg4 -partitions "
                                                               "+parti4x4";
        QTest::newRow("audio encoder through -c:a") << "-c:a libvo_aacenc -ab 64k -aq 3"
                                                    << "-c:a aac -b:a 64k -q:a 3";
        QTest::newRow("-profile with a stream stays") << "-profile:v high -profile 0"
                                                      << "-profile:v high -profile:v 0";
    }

    void encoderSpecific()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(rewritten(input), expected);
    }

    // Every conversion that encodes audio resamples it with async, once, so
    // that its timestamps cannot go back; where no audio is encoded or -af
    // cannot apply, the options stay as they were.
    void monotonicAudio_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");

        const QString resampled = QStringLiteral("-af aresample=async=1 ");
        const QString dvd = "-f dvd -vcodec mpeg2video -r 29.97 -vf scale=352:480 -aspect 4:3 "
                            "-b:v 4000k -acodec mp2 -b:a 192k -ar 48000 -ac 2";
        QTest::newRow("DVD preset") << dvd << resampled + dvd;
        QTest::newRow("VCD preset: the audio encoder comes from -target")
            << "-f vcd -target pal-vcd -mbd rd -trellis 1 -flags +mv0 -cmp 0 -subcmp 2"
            << resampled + "-f vcd -target pal-vcd -mbd rd -trellis 1 -mpv_flags +mv0 -cmp 0 "
                           "-subcmp 2";
        QTest::newRow("WebM preset, after the rewrite")
            << "-f webm -vcodec libvpx -level 216 -vb 768k -acodec libvorbis -aq 60 -ac 2"
            << resampled + "-f webm -vcodec libvpx -b:v 768k -acodec libvorbis -q:a 60 -ac 2";
        QTest::newRow("no options at all") << "" << QStringLiteral("-af aresample=async=1");
        QTest::newRow("an option without its value at the end stays last")
            << "-r 5 -vf" << resampled + "-r 5 -vf";
        QTest::newRow("first in the preset's own chain") << "-af volume=2 -ac 2"
                                                         << "-af aresample=async=1,volume=2 -ac 2";
        QTest::newRow("only the last chain counts")
            << "-af volume=2 -ac 1 -filter:a atempo=2"
            << "-af volume=2 -ac 1 -filter:a aresample=async=1,atempo=2";
        QTest::newRow("aresample without async is not enough")
            << "-af aresample=44100"
            << "-af aresample=async=1,aresample=44100";
        QTest::newRow("-async resamples once")
            << "-ac 2 -async 1"
            << "-ac 2 -af aresample=async=1:min_hard_comp=0.1:first_pts=0";
        QTest::newRow("DV resamples once")
            << "-target pal-dv -aspect 4:3 -f dv"
            << "-target pal-dv -aspect 4:3 -f dv -af aresample=async=1";
        QTest::newRow("the preset's own async stays") << "-af volume=2,aresample=48000:async=0"
                                                      << "-af volume=2,aresample=48000:async=0";
        QTest::newRow("copied video, encoded audio")
            << "-vcodec copy -acodec mp2" << resampled + "-vcodec copy -acodec mp2";
        QTest::newRow("a later -c:a wins over -c copy")
            << "-c copy -c:a mp2" << resampled + "-c copy -c:a mp2";
        QTest::newRow("no audio") << "-an -vcodec mpeg4"
                                  << "-an -vcodec mpeg4";
        QTest::newRow("copied audio") << "-acodec copy -vcodec mpeg4"
                                      << "-acodec copy -vcodec mpeg4";
        QTest::newRow("copied audio through -c:a") << "-c:a copy"
                                                   << "-c:a copy";
        QTest::newRow("everything copied") << "-c:a mp2 -c copy"
                                           << "-c:a mp2 -c copy";
        QTest::newRow("a complex graph") << "-filter_complex [0:a]volume=2[a] -map [a]"
                                         << "-filter_complex [0:a]volume=2[a] -map [a]";
        QTest::newRow("a complex graph through -lavfi") << "-lavfi [0:a]volume=2 -b:a 64k"
                                                        << "-lavfi [0:a]volume=2 -b:a 64k";
    }

    void monotonicAudio()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(launched(input), expected);
        // Nothing more is added on a second pass.
        QCOMPARE(launched(expected), expected);
    }

    // Values are never read as options, and what the rewrite does not know
    // comes back as it was, in its place.
    void everythingElseUntouched_data()
    {
        QTest::addColumn<QString>("input");

        QTest::newRow("values that look like options")
            << "-metadata -deinterlace -strict -1 -title -async";
        QTest::newRow("a value that names an old encoder") << "-metadata:s:a libvo_aacenc";
        QTest::newRow("unknown options and stray words") << "-foo bar baz -qux -1 -- x";
        QTest::newRow("a switch followed by an option") << "-an -vcodec mpeg4 -shortest -r 5";
        QTest::newRow("an option without its value at the end") << "-r 5 -vf";
        QTest::newRow("nothing") << "";
    }

    void everythingElseUntouched()
    {
        QFETCH(QString, input);
        QCOMPARE(rewritten(input), joined(tokens(input)));
    }

    // The rewritten table strings need no second pass.
    void rewriteIsStable()
    {
        const QString once = rewritten(
            "-f webm -vcodec libvpx -level 216 -profile 0 -vb 2M -aq 90 -deinterlace -async 1 "
            "-target pal-dv -flags +mv0+aic");
        QCOMPARE(rewritten(once), once);
    }
};

QTEST_GUILESS_MAIN(TestRewriter)
#include "tst_rewriter.moc"
