// The DVD reader on discs authored like bought films: the main title found
// through the disc's navigation, and the film's streams and palette.
#include "Disc.h"
#include "DvdTestSupport.h"
#include "TableAttributes.h"

#include <QTest>

using testsupport::filmFixture;

class TestDvdFilm : public QObject
{
    Q_OBJECT

private slots:
    void mainTitle_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("main");
        QTest::addColumn<bool>("fromNavigation");
        QTest::addColumn<QString>("note");
        QTest::newRow("the menu's default button, not the longer decoy")
            << filmFixture("film") << 3 << true << QString();
        QTest::newRow("no menus") << dvdtest::dvdFixture("ntsc") << 1 << true << QString();
        QTest::newRow("a menu that loops: the longest, with a note")
            << filmFixture("loop") << 2 << false
            << QStringLiteral("Titles 1 and 2 are about as long as each other; title 2 is "
                              "taken as the main title");
    }

    void mainTitle()
    {
        QFETCH(QString, source);
        const dvd::OpenResult opened = dvd::Disc::open(source.toStdString());
        QVERIFY2(opened, opened.message.c_str());
        QTEST(opened.disc->mainTitle().number, "main");
        QTEST(opened.disc->mainTitle().fromNavigation, "fromNavigation");
        QTEST(QString::fromStdString(opened.disc->mainTitle().note), "note");
    }

    void filmStreams()
    {
        const dvd::OpenResult opened = dvd::Disc::open(filmFixture("film").toStdString());
        QVERIFY2(opened, opened.message.c_str());
        const dvd::Title *film = opened.disc->title(3);
        QVERIFY(film);
        using A = dvd::AudioContent;
        QCOMPARE(film->audio.size(), std::size_t(3));
        const A contents[] = {A::Commentary, A::Normal, A::Normal};
        const char *languages[] = {"en", "en", "fr"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(film->audio[i].streamId, 0x80 + i);
            QCOMPARE(film->audio[i].content, contents[i]);
            QCOMPARE(film->audio[i].language, std::string(languages[i]));
        }
        QCOMPARE(film->subtitles.size(), std::size_t(2));
        QCOMPARE(film->subtitles[0].language, std::string("en"));
        QCOMPARE(film->subtitles[1].streamId, 0x21);
        // The subtitles' orange and blue come from the film's own chain only.
        const auto holds = [](const dvd::Title &title, std::uint32_t rgb) {
            for (std::uint32_t entry : title.palette) {
                const std::uint32_t got = dvd::rgbFromPaletteEntry(entry);
                int off = 0;
                for (int shift : {16, 8, 0})
                    off = std::max(off,
                                   std::abs(int(got >> shift & 0xff) - int(rgb >> shift & 0xff)));
                if (off <= 8)
                    return true;
            }
            return false;
        };
        QVERIFY(holds(*film, 0xff8000));
        QVERIFY(holds(*film, 0x4060ff));
        const dvd::Title *decoy = opened.disc->title(2);
        QVERIFY(!holds(*decoy, 0xff8000));
        QVERIFY(decoy->subtitles.empty());
        QCOMPARE(decoy->audio.size(), std::size_t(3));
    }
};

QTEST_GUILESS_MAIN(TestDvdFilm)
#include "tst_dvd_film_e2e.moc"
