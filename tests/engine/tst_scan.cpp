// Finding the title files of a DVD in crafted folder trees.
#include "ConvertEng.h"
#include "EngineTestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace enginetest;

class TestScan : public QObject
{
    Q_OBJECT

private:
    static void touch(const QString &path)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QVERIFY(writeAll(path, "x"));
    }
    static QStringList sources(const ConvertEng &engine)
    {
        QStringList list;
        for (const ConvertJob *job : engine.m_jobs)
            list << job->source;
        return list;
    }
    static QStringList sorted(QStringList list)
    {
        list.sort();
        return list;
    }

private slots:
    void standardFolder()
    {
        QTemporaryDir dir;
        const QString ts = dir.filePath(QStringLiteral("VIDEO_TS"));
        for (const char *name :
             {"VIDEO_TS.VOB", "VIDEO_TS.IFO", "VTS_01_0.VOB", "VTS_01_1.VOB", "VTS_01_2.VOB",
              "VTS_01_0.IFO", "VTS_01_0.BUP", "vts_02_1.vob", "MOVIE10.VOB", "VTS_03_1.VOB.part"})
            touch(ts + u'/' + QLatin1String(name));

        ConvertEng engine;
        engine.scanFolder(QStringLiteral(".VOB"), ts);
        QCOMPARE(sorted(sources(engine)),
                 QStringList({ts + "/VTS_01_1.VOB", ts + "/VTS_01_2.VOB"}));
        // The jobs follow the order the file system lists the entries in.
        QStringList listed;
        for (const QString &name :
             QDir(ts).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted)) {
            if (name == QLatin1String("VTS_01_1.VOB") || name == QLatin1String("VTS_01_2.VOB"))
                listed << ts + u'/' + name;
        }
        QCOMPARE(sources(engine), listed);

        // A second scan of the same folder adds nothing; a separator at the
        // end of the folder changes nothing either.
        engine.scanFolder(QStringLiteral(".VOB"), ts + u'/');
        QCOMPARE(engine.m_jobs.size(), 2);
    }

    void namesAnywhereInThePath()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        touch(root + "/DISC0.VOB/VTS_01_1.VOB");     // folder ends in 0.VOB
        touch(root + "/BACKUP_TS.VOB/VTS_01_1.VOB"); // folder holds _TS.VOB
        touch(root + "/.hidden/VTS_07_1.VOB");       // hidden folders count
        touch(root + "/TITLE.VOB/VTS_08_1.VOB");     // a folder named like a title
        touch(root + "/a/b/c/VTS_09_1.VOB");

        ConvertEng engine;
        engine.scanFolder(QStringLiteral(".VOB"), root);
        QCOMPARE(sorted(sources(engine)),
                 sorted({root + "/.hidden/VTS_07_1.VOB", root + "/TITLE.VOB",
                         root + "/TITLE.VOB/VTS_08_1.VOB", root + "/a/b/c/VTS_09_1.VOB"}));
        // A folder is searched where it is met: its own entry comes right
        // before its contents.
        const QStringList found = sources(engine);
        QCOMPARE(found.indexOf(root + "/TITLE.VOB/VTS_08_1.VOB"),
                 found.indexOf(root + "/TITLE.VOB") + 1);
    }

    void subfolderTitlesStayTogether()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        for (const char *name : {"VTS_01_1.VOB", "VTS_02_1.VOB", "VTS_03_1.VOB"})
            touch(root + u'/' + QLatin1String(name));
        for (const char *name : {"VTS_11_1.VOB", "VTS_12_1.VOB", "VTS_13_1.VOB"})
            touch(root + "/sub/" + QLatin1String(name));

        ConvertEng engine;
        engine.scanFolder(QStringLiteral(".VOB"), root);
        const QStringList found = sources(engine);
        QCOMPARE(found.size(), 6);
        QList<int> positions;
        for (int i = 0; i < found.size(); ++i) {
            if (found[i].startsWith(root + "/sub/"))
                positions << i;
        }
        QCOMPARE(positions.size(), 3);
        QCOMPARE(positions.last() - positions.first(), 2);
    }

    void absentAndUnreadable()
    {
        QTemporaryDir dir;
        ConvertEng engine;
        engine.scanFolder(QStringLiteral(".VOB"), dir.filePath(QStringLiteral("gone")));
        engine.scanFolder(QStringLiteral(".VOB"), QString());
        // A file where a folder is expected is not a disc.
        touch(dir.filePath(QStringLiteral("VTS_01_1.VOB")));
        engine.scanFolder(QStringLiteral(".VOB"), dir.filePath(QStringLiteral("VTS_01_1.VOB")));
        QVERIFY(engine.m_jobs.isEmpty());
    }

    void linkLoopsEnd()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        touch(root + "/VIDEO_TS/VTS_01_1.VOB");
        QVERIFY(QFile::link(root, root + "/VIDEO_TS/back"));
        QVERIFY(QFile::link(root + "/VIDEO_TS", root + "/VIDEO_TS/self"));
        QVERIFY(QFile::link(root + "/nowhere", root + "/dangling"));

        ConvertEng engine;
        engine.scanFolder(QStringLiteral(".VOB"), root);
        QCOMPARE(engine.m_jobs.size(), 1);
        QVERIFY(engine.isListed(root + "/VIDEO_TS/VTS_01_1.VOB"));
        for (const QString &found : sources(engine))
            QVERIFY2(found.endsWith(QLatin1String("/VTS_01_1.VOB")), qPrintable(found));
    }
};

QTEST_GUILESS_MAIN(TestScan)
#include "tst_scan.moc"
