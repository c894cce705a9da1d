// The text a child process hands a DVD's tables over in: every field comes
// back as it went, and what the writer did not make (a cut or garbled
// answer) is never taken for tables.
#include "Disc.h"
#include "TablesText.h"

#include <QTest>

namespace
{

// Every field away from its default, strings with the characters the text
// escapes.
const char kTables[] = "velko-dvd-tables 1\n"
                       "disc 1\n"
                       "source /media/A 100%25 DVD\n"
                       "open /media/A 100%25 DVD/VIDEO_TS\n"
                       "identity 0123456789abcdef0123456789abcdef\n"
                       "main 2 1 Titles 1 and 2 are%0Aabout as long.\n"
                       "set 1 1 704 480 16 9 1\n"
                       "audio 4 6 96000 136 3 de\n"
                       "subtitle 7 33 fr\n"
                       "piece 1 2 1073741824 524288 61000 2 1 2 /media/A/VTS_01_2.VOB\n"
                       "units 1 3 0 48 524288\n"
                       "title 2 1 3 123456 2 1 352 240 16 9 1 \n"
                       "chapter 0\n"
                       "chapter 61000\n"
                       "audio 3 2 44100 161 2 ja\n"
                       "subtitle 10 34 es\n"
                       "palette 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n"
                       "sectors 100 200\n"
                       "range 4096 8192 /media/A/VTS_01_1.VOB\n"
                       "title 3 2 1 0 1 0 720 576 4 3 0 the title set's tables are damaged\n"
                       "palette 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"
                       "end\n";

} // namespace

class TestDvdTablesText : public QObject
{
    Q_OBJECT

private slots:
    void roundTripKeepsEveryField()
    {
        const std::optional<dvd::OpenResult> read = dvd::TablesText::read(kTables);
        QVERIFY(read && read->disc);
        QCOMPARE(QByteArray::fromStdString(dvd::TablesText::write(*read)), QByteArray(kTables));
        const dvd::Title *title = read->disc->title(2);
        QVERIFY(title);
        QCOMPARE(title->subtitles.at(0).language, std::string("es"));
        QCOMPARE(read->disc->mainTitle().note, std::string("Titles 1 and 2 are\nabout as long."));

        dvd::OpenResult failed;
        failed.error = dvd::OpenError::NoTables;
        failed.message = "No DVD-Video tables in /tmp";
        const std::optional<dvd::OpenResult> failure =
            dvd::TablesText::read(dvd::TablesText::write(failed));
        QVERIFY(failure && !failure->disc);
        QCOMPARE(int(failure->error), int(failed.error));
        QCOMPARE(failure->message, failed.message);
    }

    void refusesWhatItDidNotWrite_data()
    {
        QTest::addColumn<QByteArray>("text");
        const QByteArray whole(kTables);
        QTest::newRow("cut before the end") << whole.left(whole.indexOf("end\n"));
        QTest::newRow("cut inside a line") << whole.left(whole.indexOf("chapter 61000") + 9);
        QTest::newRow("another format") << QByteArray(whole).replace("tables 1", "tables 2");
        QTest::newRow("unknown record") << QByteArray(whole).replace("chapter 0", "chaptr 0");
        QTest::newRow("kind out of range")
            << QByteArray(whole).replace("subtitle 7", "subtitle 11");
        QTest::newRow("a field too many") << QByteArray(whole).replace("chapter 0", "chapter 0 1");
        QTest::newRow("a bad escape") << QByteArray(whole).replace("%0A", "%G1");
        QTest::newRow("streams before any set")
            << QByteArray(whole).replace("set 1 1 704 480 16 9 1\n", "");
    }
    void refusesWhatItDidNotWrite()
    {
        QFETCH(QByteArray, text);
        QVERIFY(!dvd::TablesText::read(text.toStdString()));
    }
};

QTEST_GUILESS_MAIN(TestDvdTablesText)
#include "tst_dvd_tablestext.moc"
