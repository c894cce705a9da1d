#include "HasTitles.h"
#include "TestHome.h"
#include "TitleTree.h"

#include <QTemporaryDir>

class TestHasTitles : public QObject
{
    Q_OBJECT

private slots:
    void findsTitlesOnlyWhereTheScanDoes_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("folder"); // relative to the tree's root
        QTest::addColumn<bool>("expected");

        const QStringList menusOnly{"VIDEO_TS/VIDEO_TS.VOB", "VIDEO_TS/VIDEO_TS.IFO",
                                    "VIDEO_TS/VTS_01_0.VOB", "VIDEO_TS/VTS_01_0.IFO",
                                    "VIDEO_TS/VTS_01_0.BUP"};
        QTest::newRow("menus only") << menusOnly << "VIDEO_TS" << false;
        QTest::newRow("a title beside the menus")
            << (menusOnly + QStringList{"VIDEO_TS/VTS_01_1.VOB"}) << "VIDEO_TS" << true;
        QTest::newRow("a title two folders down")
            << QStringList{"Movies/MY_MOVIE/VIDEO_TS/VTS_03_2.VOB"} << "Movies" << true;
        QTest::newRow("names in lower case")
            << QStringList{"VIDEO_TS/vts_01_1.vob", "VIDEO_TS/VTS_01_1.vob"} << "VIDEO_TS" << false;
        QTest::newRow("nothing at all") << QStringList{} << "." << false;
        QTest::newRow("a folder that is not there") << QStringList{} << "missing" << false;
        QTest::newRow("a file instead of a folder")
            << QStringList{"VTS_01_1.VOB"} << "VTS_01_1.VOB" << false;
    }

    // Both forms give the same answer: the dialogs wait for the threaded one.
    void findsTitlesOnlyWhereTheScanDoes()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, folder);
        QFETCH(bool, expected);
        QTemporaryDir root;
        QVERIFY(MakeTree(root.path(), files));
        const QString path = QDir::cleanPath(root.path() + QLatin1Char('/') + folder);
        QCOMPARE(HasTitles(".VOB", path), expected);
        QCOMPARE(HasTitlesWhileWaiting(".VOB", path), expected);
    }
};

VELKO_TEST_MAIN(TestHasTitles)
#include "tst_hastitles.moc"
