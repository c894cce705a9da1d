// DVD folders whose tables would crash or block the DVD library, listed and
// converted from the command line as a user does: the titles read from the
// tables' copies, or a clear failure with its exit code, promptly and never
// a crash or a hang.
#include "Fixture.h"
#include "TitleTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace titletest;

class TstDamagedTablesE2e : public QObject
{
    Q_OBJECT

private slots:
    void damagedTablesNeverKillTheProgram_data();
    void damagedTablesNeverKillTheProgram();
};

void TstDamagedTablesE2e::damagedTablesNeverKillTheProgram_data()
{
    QTest::addColumn<QString>("command");    // "list", "convert" title 1, "probe" a piece
    QTest::addColumn<QStringList>("damage"); // "cut:FILE:BYTES" or "fifo:FILE"
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("IFO cut, its copy read instead")
        << "list" << QStringList{"cut:VIDEO_TS.IFO:2100"} << 0 << "Title 3: 0:00:02.000";
    QTest::newRow("IFO cut, a title converted from the copy")
        << "convert" << QStringList{"cut:VIDEO_TS.IFO:2100"} << 0 << "100%";
    QTest::newRow("IFO and its copy cut")
        << "list" << QStringList{"cut:VIDEO_TS.IFO:2100", "cut:VIDEO_TS.BUP:2100"} << 3
        << "The DVD's tables are damaged";
    QTest::newRow("a title set's tables cut")
        << "list" << QStringList{"cut:VTS_02_0.IFO:100", "cut:VTS_02_0.BUP:100"} << 0
        << "Title 3: unreadable: the title set's tables are damaged";
    QTest::newRow("a FIFO as the title table")
        << "list" << QStringList{"fifo:VIDEO_TS.IFO"} << 3 << "VIDEO_TS.IFO' is a FIFO";
    QTest::newRow("a FIFO as a title piece")
        << "convert" << QStringList{"fifo:VTS_01_1.VOB"} << 3 << "VTS_01_1.VOB' is a FIFO";
    QTest::newRow("IFO cut, a title file probed from the copy")
        << "probe" << QStringList{"cut:VIDEO_TS.IFO:2100"} << 1 << "Duration: 00:00:05.00";
    QTest::newRow("a FIFO as a title file probed")
        << "probe" << QStringList{"fifo:VTS_01_1.VOB"} << 1 << "VTS_01_1.VOB' is a FIFO";
}

void TstDamagedTablesE2e::damagedTablesNeverKillTheProgram()
{
    QFETCH(QString, command);
    QFETCH(QStringList, damage);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    QTemporaryDir disc;
    QVERIFY(makeDamagedCopy(testsupport::fixture(QStringLiteral("dvd")), disc.path(), damage));
    const QDir folder(disc.filePath(QStringLiteral("VIDEO_TS")));

    QTemporaryDir out;
    QString program = testsupport::binFile(QStringLiteral("VelkoFreeDVDRipper"));
    QStringList arguments = {"--list-titles", disc.path()};
    if (command == u"convert")
        arguments = QStringList{
            "--convert",  disc.path(),      "--title",  "1",
            "--category", "Google Android", "--preset", "Google Android compatible video",
            "--output",   out.path()};
    if (command == u"probe") {
        program = testsupport::launcherPath();
        arguments = QStringList{"-i", folder.filePath(QStringLiteral("VTS_01_1.VOB"))};
    }
    // A few seconds at most: a hang shows as no exit code at all.
    const Run result = run(program, arguments, 20000);
    QVERIFY2(
        result.exitCode == exitCode && result.output.contains(message.toUtf8()),
        qPrintable(QString::number(result.exitCode) + u' ' + QString::fromUtf8(result.output)));
}

QTEST_GUILESS_MAIN(TstDamagedTablesE2e)
#include "tst_damaged_tables_e2e.moc"
