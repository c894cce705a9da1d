// The preset catalogue: the program's table, building from crafted tables,
// and the index lookups the main window relies on.
#include "PresetCatalogue.h"

#include <QSet>
#include <QTest>

#include <climits>

namespace
{

PresetCatalogue built(const CategoryRow *table)
{
    PresetCatalogue catalogue;
    BuildPresetCatalogue(catalogue, table);
    return catalogue;
}

PresetCatalogue programCatalogue()
{
    PresetCatalogue catalogue;
    BuildPresetCatalogue(catalogue);
    return catalogue;
}

const PresetRow twoPresets[] = {
    {u"First", u"-f avi", nullptr},
    {u"Second", u"-f mp4", u"mp4"},
    {nullptr, nullptr, nullptr},
};
const PresetRow onePreset[] = {
    {u"Only", u"-vcodec wmv2", nullptr},
    {nullptr, u"after the end", u"xyz"},
};
const PresetRow noPresets[] = {
    {nullptr, nullptr, nullptr},
};

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void categories_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("presets");

        const struct {
            const char *name, *extension;
            int presets;
        } rows[] = {
            {"AVI", "avi", 3},
            {"Blackberry", "mp4", 4},
            {"Creative Zen", "avi", 2},
            {"DV", "dv", 2},
            {"DVD", "mpg", 10},
            {"Google", "webm", 5},
            {"Google Android", "mp4", 4},
            {"iPod-iTunes", "m4v", 9},
            {"LG", "mp4", 2},
            {"Mobile Phones", "3gp", 6},
            {"MPEG-4", "mp4", 5},
            {"Neuros OSD", "mp4", 8},
            {"Nokia", "avi", 5},
            {"Palm", "mp4", 1},
            {"PS3", "mp4", 2},
            {"PSP", "mp4", 2},
            {"QuickTime", "mov", 4},
            {"Rockbox", "mpg", 18},
            {"Tuna-Vids", "avi", 1},
            {"VCD", "mpg", 2},
            {"walkman", "mp4", 1},
            {"WMV", "wmv", 5},
            {"Matroska (MKV)", "mkv", 2},
        };
        int index = 0;
        for (const auto &row : rows) {
            QTest::newRow(row.name) << index++ << QString::fromLatin1(row.name)
                                    << QString::fromLatin1(row.extension) << row.presets;
        }
    }

    // Every category in its place with its presets; every preset without an
    // override takes the category's extension.
    void categories()
    {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(QString, extension);
        QFETCH(int, presets);
        const PresetCatalogue catalogue = programCatalogue();
        QCOMPARE(catalogue.CategoryCount(), 23);
        QCOMPARE(catalogue.CategoryName(index), name);
        QCOMPARE(catalogue.PresetCount(index), presets);
        for (int p = 0; p < presets; ++p) {
            const bool nokiaNxx = name == u"Nokia" && p >= 3;
            QCOMPARE(catalogue.PresetExtension(index, p),
                     nokiaNxx ? QStringLiteral("mp4") : extension);
        }
    }

    void tableHoldsOneHundredAndThreePresets()
    {
        int total = 0;
        int overrides = 0;
        for (const CategoryRow *row = g_presetTable; row->name; ++row) {
            QVERIFY(row->presets && row->extension);
            for (const PresetRow *preset = row->presets; preset->name; ++preset) {
                ++total;
                overrides += preset->extensionOverride != nullptr;
            }
        }
        QCOMPARE(total, 103);
        QCOMPARE(overrides, 2);
    }

    void lookupsAtTheEdges()
    {
        const PresetCatalogue catalogue = programCatalogue();
        QCOMPARE(catalogue.CategoryName(0), QStringLiteral("AVI"));
        QCOMPARE(catalogue.CategoryName(21), QStringLiteral("WMV"));
        QCOMPARE(catalogue.CategoryName(22), QStringLiteral("Matroska (MKV)"));
        QCOMPARE(catalogue.CategoryName(23), QString());
        QCOMPARE(catalogue.PresetCount(17), 18);
        QCOMPARE(catalogue.PresetCount(-1), 0);
        QCOMPARE(catalogue.PresetCount(23), 0);
        QCOMPARE(catalogue.PresetName(12, 0), QStringLiteral("Nokia N810 mplayer 4:3"));
        QCOMPARE(catalogue.PresetExtension(12, 0), QStringLiteral("avi"));
        QCOMPARE(catalogue.PresetName(12, 3), QStringLiteral("Nokia Nxx Video FullScreen"));
        QCOMPARE(catalogue.PresetExtension(12, 3), QStringLiteral("mp4"));
        QCOMPARE(catalogue.PresetName(4, 9), QStringLiteral("PAL DVD Fast (LQ)"));
        QCOMPARE(catalogue.PresetArguments(4, 10), QString());
        QCOMPARE(catalogue.PresetName(-1, 0), QString());
        QCOMPARE(catalogue.PresetName(17, 17), QStringLiteral("RB Apple iPod Nano Widescreen"));
        QCOMPARE(catalogue.PresetName(7, 3), QStringLiteral("iPod Small WideScreen Anamorphic"));
        QCOMPARE(catalogue.PresetName(5, 0), QStringLiteral("Google WebM for Andriod 2.3.3+"));
        QCOMPARE(catalogue.PresetName(6, 1),
                 QStringLiteral("Google Android compatible video. Video bitrate: 480 kb/s"));
    }

    void invalidIndicesGiveNothing_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<int>("preset");
        QTest::newRow("no selection in either list") << -1 << -1;
        QTest::newRow("no preset selected") << 0 << -1;
        QTest::newRow("one past the last preset") << 0 << 3;
        QTest::newRow("one past the last category") << 23 << 0;
        QTest::newRow("far below") << INT_MIN << INT_MIN;
        QTest::newRow("far above") << 0 << INT_MAX;
    }

    void invalidIndicesGiveNothing()
    {
        QFETCH(int, category);
        QFETCH(int, preset);
        const PresetCatalogue catalogue = programCatalogue();
        QVERIFY(catalogue.PresetName(category, preset).isEmpty());
        QVERIFY(catalogue.PresetArguments(category, preset).isEmpty());
        QVERIFY(catalogue.PresetExtension(category, preset).isEmpty());
        if (category < 0 || category >= 23) {
            QVERIFY(catalogue.CategoryName(category).isEmpty());
            QCOMPARE(catalogue.PresetCount(category), 0);
        }
    }

    // The strings given for these rows are kept character for character,
    // double blanks included.
    void givenArgumentStrings_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QString>("arguments");
        // clang-format off
        QTest::newRow("XviD FullScreen") << 0 << 0 << "-f avi -r 29.97 -vcodec libxvid -vtag XVID -vf scale=640:480 -aspect 4:3 -maxrate 1800k -b:v 1500k -qmin 3 -qmax 5 -bufsize 4096 -mbd 2 -bf 2 -trellis 1 -flags +aic -cmp 2 -subcmp 2 -g 300 -acodec libmp3lame -ar 48000 -b:a 128k -ac 2";
        QTest::newRow("MS Compatible AVI") << 0 << 2 << "-acodec libmp3lame -vcodec msmpeg4 -b:a 192k -b:v 1000k -vf scale=640:480 -ar 44100";
        QTest::newRow("Blackberry Video Fullscreen") << 1 << 2 << "-f mp4 -r 24 -vcodec libx264 -coder 1  -aspect 4:3 -maxrate 800k -bufsize 80k -b:v 400k -acodec libvo_aacenc -ar 44100 -b:a 80k -ac 2";
        QTest::newRow("Zen Fullscreen") << 2 << 0 << "-f avi -r 29.97 -vcodec libxvid -vtag XVID -vf scale=320:240 -aspect 4:3 -maxrate 1800k -b:v 1500k -acodec libmp3lame -ar 48000 -b:a 128k -ac 2";
        QTest::newRow("Raw DV for PAL Fullscreen") << 3 << 1 << "-target pal-dv -aspect 4:3 -f dv";
        QTest::newRow("PAL DVD Fullscreen") << 4 << 5 << "-f dvd -vcodec mpeg2video -r 25.00 -vf scale=352:576 -aspect 4:3 -b:v 4000k -mbd rd -trellis 1 -flags +mv0 -cmp 2 -subcmp 2 -acodec mp2 -b:a 192k -ar 48000 -ac 2";
        QTest::newRow("NTSC DVD HQ Widescreen") << 4 << 3 << "-f dvd -target ntsc-dvd -r 29.97 -vf scale=720:480 -aspect 16:9 -b:v 8000k -g 12 -mbd rd -trellis 1 -flags +mv0 -cmp 0 -subcmp 2";
        QTest::newRow("Google WebM Generic Widescreen") << 5 << 4 << "-f webm -aspect 16:9 -vcodec libvpx -g 120 -level 216 -profile 0 -qmax 42 -qmin 10 -rc_buf_aggressivity 0.95 -vb 2M -acodec libvorbis -aq 90 -ac 2";
        QTest::newRow("Google Android video. VHQ 16:9 widescreen") << 6 << 2 << "-vf scale=480:272 -vcodec libx264 -coder 1 -b:v 500k -threads 0 -acodec libvo_aacenc -b:a 96k";
        QTest::newRow("iPod Small WideScreen Anamorphic") << 7 << 3 << "-r 29.97 -vf crop=iw:ih-2*60,scale=320:144 -vcodec libx264 -aspect 2.35 -acodec libvo_aacenc -b:a 112k -ar 48000 -ac 2";
        QTest::newRow("LG Chocolate") << 8 << 0 << "-f mp4 -vf scale=240:192 -aspect 240:192 -r 11.988 -b:v 192k -b:a 56k -vcodec libxvid -acodec libvo_aacenc -ar 22050";
        QTest::newRow("3GPP H.263 176x144 16:9 letterbox AAC mono") << 9 << 2 << "-r 15 -b:v 64k -ac 1 -vf scale=176:100,pad=iw:ih+2*22:0:22 -ar 16000 -b:a 32k -acodec libvo_aacenc -vcodec h263";
        QTest::newRow("MPEG-4 H.264 video (high quality)") << 10 << 0 << "-crf 35.0 -vcodec libx264 -acodec libvo_aacenc -ar 48000 -b:a 128k -coder 1 -rc_lookahead 50 -threads 0";
        QTest::newRow("MP4 Fullscreen") << 10 << 3 << "-f mp4 -r 29.97 -vcodec libx264 -vf scale=640:480 -aspect 4:3 -b:v 1250k -maxrate 1500k -bufsize 4M -bt 256k -refs 1 -bf 3 -coder 1 -me_method umh -me_range 16 -subq 7 -partitions +parti4x4+parti8x8+partp8x8+partb8x8 -g 250 -keyint_min 25 -level 30 -qmin 10 -qmax 51 -qcomp 0.6 -trellis 2 -sc_threshold 40 -i_qfactor 0.71 -b_strategy 2 -qdiff 4 -direct-pred 3 -wpredp 2 -rc_lookahead 50 -acodec libvo_aacenc -b:a 112k -ar 48000 -ac 2";
        QTest::newRow("Neuros Small File PAL Widescreen") << 11 << 7 << "-f mp4 -b:v 800k -r 25 -vf scale=352:240 -aspect 16:9 -vcodec libxvid -ar 48000 -b:a 80k -ac 2 -acodec libvo_aacenc";
        QTest::newRow("Nokia N810 mplayer 16:9") << 12 << 1 << "-r 29.97 -vcodec libxvid -vtag XVID -vf scale=400:240 -aspect 16:9 -maxrate 1200k -b:v 1200k -qmin 3 -qmax 5 -bufsize 4096 -mbd 2 -bf 2 -trellis 1 -flags +aic -cmp 2 -subcmp 2 -g 300 -acodec libmp3lame -ar 44100 -b:a 160k -ac 2 -async 1";
        QTest::newRow("Nokia Nxx Video FullScreen") << 12 << 3 << "-f mp4 -r 15 -vcodec mpeg4 -vf scale=320:240 -b:v 320k -aspect 4:3 -acodec libvo_aacenc -b:a 96k -ar 44100 -ac 2";
        QTest::newRow("Palm Widescreen") << 13 << 0 << "-f mp4 -r 29.97 -vcodec libxvid -vf scale=480:320 -aspect 3:2 -maxrate 450k -b:v 430k -qmin 3 -qmax 5 -bufsize 4096 -mbd 2 -trellis 1 -flags +aic -cmp 2 -subcmp 2 -g 300 -acodec libvo_aacenc -ar 44100 -b:a 80k -ac 2";
        QTest::newRow("PS3 720p Widescreen") << 14 << 0 << "-f mp4 -r 23.976 -vcodec libx264 -vf scale=1280:720 -b:v 3000k -aspect 16:9 -maxrate 3500k -bufsize 4M -bt 256k -refs 1 -bf 3 -coder 1 -me_method umh -me_range 16 -subq 7 -partitions +parti4x4+parti8x8+partp8x8+partb8x8 -g 250 -keyint_min 25 -level 30 -qmin 10 -qmax 51 -qcomp 0.6 -trellis 2 -sc_threshold 40 -i_qfactor 0.71 -b_strategy 2 -qdiff 4 -direct-pred 3  -wpredp 2 -rc_lookahead 50 -acodec libvo_aacenc -b:a 384k -ar 48000 -ac 2";
        QTest::newRow("PSP Fullscreen") << 15 << 1 << "-f mp4 -r 29.97 -vcodec libx264 -vf scale=640:480 -aspect 4:3 -b:v 1250k -maxrate 4M -bufsize 4M -rc_lookahead 50 -level 21 -acodec libvo_aacenc -b:a 128k -ar 48000 -ac 2";
        QTest::newRow("Quicktime MOV") << 16 << 0 << "-f mov -acodec libvo_aacenc -b:v 1250k -r 25 -b:a 128k -vf scale=640:480 -ac 2 -ar 48000";
        QTest::newRow("RB Toshiba Gigabeat F/X Fullscreen") << 17 << 0 << "-acodec libmp3lame -b:a 128k -ar 44100 -vcodec mpeg2video -vf scale=320:240 -b:v 600k -strict -1";
        QTest::newRow("Tuna-vIDS") << 18 << 0 << "-f avi -r 10 -vf scale=256:192 -aspect 256:192 -b:v 192k -bt 64k -vcodec libxvid -deinterlace -acodec libmp3lame -ar 32000 -b:a 96k -ac 2";
        QTest::newRow("PAL VCD (HQ)") << 19 << 1 << "-f vcd -target pal-vcd -mbd rd -trellis 1 -flags +mv0 -cmp 0 -subcmp 2";
        QTest::newRow("Xvid walkman (4:3)") << 20 << 0 << "-r 29.97 -vcodec libxvid -vf scale=320:240 -aspect 4:3 -maxrate 1500k -b:v 1250k -qmin 3 -qmax 5 -bufsize 4096 -mbd 2 -cmp 2 -subcmp 2 -g 300 -acodec libvo_aacenc -ar 48000 -b:a 80k -ac 2";
        QTest::newRow("WMV2 Generic") << 21 << 0 << "-vcodec wmv2 -acodec wmav2 -b:v 1000k -b:a 160k -r 25";
        // clang-format on
    }

    void givenArgumentStrings()
    {
        QFETCH(int, category);
        QFETCH(int, preset);
        QFETCH(QString, arguments);
        const PresetCatalogue catalogue = programCatalogue();
        QCOMPARE(catalogue.PresetName(category, preset),
                 QString::fromUtf8(QTest::currentDataTag()));
        QCOMPARE(catalogue.PresetArguments(category, preset), arguments);
    }

    void quickTimeH264RowsMatchTheMpeg4Rows()
    {
        const PresetCatalogue catalogue = programCatalogue();
        for (int quality = 0; quality < 3; ++quality) {
            const QString mpeg4 = catalogue.PresetName(10, quality);
            const QString quickTime = catalogue.PresetName(16, quality + 1);
            QCOMPARE(quickTime.mid(quickTime.indexOf(u'(')), mpeg4.mid(mpeg4.indexOf(u'(')));
            QCOMPARE(catalogue.PresetArguments(16, quality + 1),
                     catalogue.PresetArguments(10, quality));
        }
    }

    // The job script inserts the arguments unquoted (with file-name
    // expansion off) and splits them at blanks: nothing in them may mean
    // anything else to the shell.
    void argumentStringsAreSafeInTheJobScript()
    {
        const PresetCatalogue catalogue = programCatalogue();
        const QString shellSpecial = QStringLiteral("\t\n\r;|&$`()<>\"'\\{}~#");
        for (int c = 0; c < catalogue.CategoryCount(); ++c) {
            QSet<QString> names;
            for (int p = 0; p < catalogue.PresetCount(c); ++p) {
                const QString name = catalogue.PresetName(c, p);
                const QString arguments = catalogue.PresetArguments(c, p);
                QVERIFY2(!names.contains(name), qPrintable(name));
                names.insert(name);
                QVERIFY2(arguments.startsWith(u'-') && !arguments.endsWith(u' '), qPrintable(name));
                for (QChar ch : arguments)
                    QVERIFY2(!shellSpecial.contains(ch),
                             qPrintable(name + QStringLiteral(": ") + ch));
            }
        }
    }

    void firstRowEndsTheTable()
    {
        const CategoryRow table[] = {
            {nullptr, twoPresets, u"avi"},
            {u"Never reached", twoPresets, u"avi"},
        };
        const PresetCatalogue catalogue = built(table);
        QCOMPARE(catalogue.CategoryCount(), 0);
        QCOMPARE(catalogue.CategoryName(0), QString());
        QCOMPARE(catalogue.PresetCount(0), 0);
    }

    void rowWithoutPresetsIsSkipped()
    {
        const CategoryRow table[] = {
            {u"A", twoPresets, u"avi"},
            {u"B", nullptr, u"mpg"},
            {u"C", onePreset, u"wmv"},
            {nullptr, nullptr, nullptr},
        };
        const PresetCatalogue catalogue = built(table);
        QCOMPARE(catalogue.CategoryCount(), 2);
        QCOMPARE(catalogue.CategoryName(1), QStringLiteral("C"));
        QCOMPARE(catalogue.PresetCount(1), 1);
        QCOMPARE(catalogue.PresetName(1, 0), QStringLiteral("Only"));
        QCOMPARE(catalogue.PresetExtension(1, 0), QStringLiteral("wmv"));
        // The preset array ends at the first null name, whatever follows.
        QCOMPARE(catalogue.PresetArguments(1, 1), QString());
    }

    void emptyPresetArrayStillMakesACategory()
    {
        const CategoryRow table[] = {
            {u"Empty", noPresets, u"avi"},
            {u"Full", twoPresets, u"mp4"},
            {nullptr, nullptr, nullptr},
        };
        const PresetCatalogue catalogue = built(table);
        QCOMPARE(catalogue.CategoryCount(), 2);
        QCOMPARE(catalogue.CategoryName(0), QStringLiteral("Empty"));
        QCOMPARE(catalogue.PresetCount(0), 0);
        QCOMPARE(catalogue.PresetName(0, 0), QString());
        QCOMPARE(catalogue.PresetCount(1), 2);
    }

    void extensionResolution()
    {
        const CategoryRow table[] = {
            {u"With extension", twoPresets, u"avi"},
            {u"Without extension", twoPresets, nullptr},
            {nullptr, nullptr, nullptr},
        };
        const PresetCatalogue catalogue = built(table);
        QCOMPARE(catalogue.PresetExtension(0, 0), QStringLiteral("avi")); // the category's
        QCOMPARE(catalogue.PresetExtension(0, 1), QStringLiteral("mp4")); // the override
        QCOMPARE(catalogue.PresetExtension(1, 0), QString());             // neither
        QCOMPARE(catalogue.PresetExtension(1, 1), QStringLiteral("mp4"));
        QCOMPARE(catalogue.PresetArguments(1, 1), QStringLiteral("-f mp4"));
    }

    void textIsTakenAsStored()
    {
        const PresetRow presets[] = {
            {u"Vidéo für Ärger ✓", nullptr, u""},
            {u" Padded  name ", u"  -r 5  ", nullptr},
            {u" Padded  name ", u"duplicate", nullptr},
            {nullptr, nullptr, nullptr},
        };
        const CategoryRow table[] = {
            {u"Ünïcode", presets, u"mkv"},
            {nullptr, nullptr, nullptr},
        };
        const PresetCatalogue catalogue = built(table);
        QCOMPARE(catalogue.CategoryName(0), QStringLiteral("Ünïcode"));
        QCOMPARE(catalogue.PresetName(0, 0), QStringLiteral("Vidéo für Ärger ✓"));
        QCOMPARE(catalogue.PresetArguments(0, 0), QString()); // null arguments
        QCOMPARE(catalogue.PresetExtension(0, 0), QString()); // an empty override wins
        QCOMPARE(catalogue.PresetName(0, 1), QStringLiteral(" Padded  name "));
        QCOMPARE(catalogue.PresetArguments(0, 1), QStringLiteral("  -r 5  "));
        QCOMPARE(catalogue.PresetCount(0), 3);
    }

    void nullTableAddsNothing()
    {
        PresetCatalogue catalogue = built(nullptr);
        QCOMPARE(catalogue.CategoryCount(), 0);
        // Building appends to what is there.
        BuildPresetCatalogue(catalogue);
        BuildPresetCatalogue(catalogue);
        QCOMPARE(catalogue.CategoryCount(), 46);
        QCOMPARE(catalogue.CategoryName(23), QStringLiteral("AVI"));
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
