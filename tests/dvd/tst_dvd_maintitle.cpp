// The choice of the film among a disc's titles. Titles are written
// "first-last:seconds" in title-set 1 sectors, one set of 1000 sectors; an
// empty sector list is "-:seconds".
#include "MainTitleChoice.h"

#include <QStringList>
#include <QTest>

class TestDvdMainTitle : public QObject
{
    Q_OBJECT

private slots:
    void choice_data()
    {
        QTest::addColumn<QString>("titles");
        QTest::addColumn<int>("navigated");
        QTest::addColumn<int>("main");
        QTest::addColumn<bool>("fromNavigation");
        QTest::addColumn<bool>("navigatedPlaysAsFilm");
        QTest::addColumn<QString>("note");
        const QString film = "0-99:60 100-199:120";
        QTest::newRow("the longest without navigation") << film << 0 << 2 << false << false << "";
        QTest::newRow("navigation beats a longer decoy") << film << 1 << 1 << true << true << "";
        QTest::newRow("a short title reached is no film")
            << "0-9:5 100-199:120" << 1 << 2 << false << false << "";
        QTest::newRow("the same sectors once")
            << "0-99:60 0-99:60 100-150:30" << 0 << 1 << false << false << "";
        QTest::newRow("a duplicate reached stands for the first")
            << "0-99:60 0-99:60" << 2 << 1 << true << true << "";
        QTest::newRow("no cells, no length")
            << "-:900 0-99:0 100-199:3" << 1 << 3 << false << false << "";
        QTest::newRow("sectors outside the set")
            << "0-5000:500 0-99:60" << 1 << 2 << false << false << "";
        QTest::newRow("about as long: a note")
            << "0-99:600 100-199:603 200-299:590 300-399:598" << 0 << 2 << false << false
            << "Titles 1, 2 and 4 are about as long as each other; title 2 is taken as the main "
               "title";
        QTest::newRow("about as long, but reached")
            << "0-99:600 100-199:603" << 1 << 1 << true << true << "";
        QTest::newRow("no titles") << "" << 0 << 0 << false << false << "";
    }

    void choice()
    {
        QFETCH(QString, titles);
        QFETCH(int, navigated);
        std::vector<dvd::Title> list;
        for (const QString &text : titles.split(' ', Qt::SkipEmptyParts)) {
            dvd::Title &title = list.emplace_back();
            title.number = int(list.size());
            title.titleSet = 1;
            const QString sectors = text.section(':', 0, 0);
            if (sectors != "-")
                title.sectors.push_back(
                    {sectors.section('-', 0, 0).toUInt(), sectors.section('-', 1).toUInt()});
            title.durationMs = text.section(':', 1).toLongLong() * 1000;
        }
        dvd::TitleSet set;
        set.number = 1;
        set.pieces.resize(2);
        set.pieces[0].sizeBytes = 600 * dvd::sectorSize;
        set.pieces[1].sizeBytes = 400 * dvd::sectorSize;
        const dvd::MainTitleChoice choice(list, {set});
        const dvd::MainTitle main = choice.choose(navigated);
        QTEST(main.number, "main");
        QTEST(main.fromNavigation, "fromNavigation");
        QTEST(QString::fromStdString(main.note), "note");
        QTEST(choice.playsAsFilm(navigated), "navigatedPlaysAsFilm");
    }
};

QTEST_GUILESS_MAIN(TestDvdMainTitle)
#include "tst_dvd_maintitle.moc"
