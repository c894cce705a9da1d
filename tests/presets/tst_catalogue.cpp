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
    // The program's catalogue holds its table row for row, in the order of
    // the main window's lists: each preset with its own extension where it
    // has one, else its category's.
    void catalogueHoldsTheTable()
    {
        const PresetCatalogue catalogue = programCatalogue();
        int c = 0;
        for (const CategoryRow *row = g_presetTable; row->name; ++row, ++c) {
            QCOMPARE(catalogue.CategoryName(c), QString::fromUtf16(row->name));
            int p = 0;
            for (const PresetRow *preset = row->presets; preset->name; ++preset, ++p) {
                QCOMPARE(catalogue.PresetName(c, p), QString::fromUtf16(preset->name));
                QCOMPARE(catalogue.PresetArguments(c, p), QString::fromUtf16(preset->arguments));
                const char16_t *extension =
                    preset->extensionOverride ? preset->extensionOverride : row->extension;
                QCOMPARE(catalogue.PresetExtension(c, p), QString::fromUtf16(extension));
            }
            QCOMPARE(catalogue.PresetCount(c), p);
        }
        QCOMPARE(catalogue.CategoryCount(), c);
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
        // Arguments are kept character for character, double blanks included.
        QVERIFY(catalogue.PresetArguments(1, 2).contains(u"-coder 1  -aspect"));
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
