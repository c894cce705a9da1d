// Finding the title files of a DVD in crafted folder trees.
#include "ConvertEng.h"
#include "EngineTestSupport.h"
#include "FilePath.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
        QCOMPARE(sources(engine), QStringList({ts + "/VTS_01_1.VOB", ts + "/VTS_01_2.VOB"}));

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
        // A folder named like a title is searched, never listed itself.
        QCOMPARE(sorted(sources(engine)),
                 sorted({root + "/.hidden/VTS_07_1.VOB", root + "/TITLE.VOB/VTS_08_1.VOB",
                         root + "/a/b/c/VTS_09_1.VOB"}));
    }

    // Every folder's entries in name order, files and folders alike, however
    // the file system orders them: the pieces of a title stay in sequence.
    void nameOrder()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        QStringList expected;
        for (int set = 1; set <= 9; ++set) {
            for (int piece = 1; piece <= 5; ++piece) {
                const QString name =
                    QStringLiteral("VTS_%1_%2.VOB").arg(set, 2, 10, QChar(u'0')).arg(piece);
                touch(root + u'/' + name);
                expected << root + u'/' + name;
                if (set == 4 && piece == 5) {
                    // VTS_04_5.VOB < VTS_04_x < VTS_05_1.VOB: the folder's
                    // titles come between those two.
                    touch(root + "/VTS_04_x/VTS_01_1.VOB");
                    touch(root + "/VTS_04_x/VTS_01_2.VOB");
                    expected << root + "/VTS_04_x/VTS_01_1.VOB" << root + "/VTS_04_x/VTS_01_2.VOB";
                }
            }
        }
        ConvertEng engine;
        engine.scanFolder(QStringLiteral(".VOB"), root);
        QCOMPARE(sources(engine), expected);
        QDir::setCurrent(root);
        ConvertEng relative;
        relative.scanFolder(QStringLiteral(".VOB"), QStringLiteral("VTS_04_x/"));
        QCOMPARE(sources(relative), expected.mid(20, 2));
    }

    // A folder and a title file whose names are Latin-1, not UTF-8, as old
    // discs and copies carry them: both are found and keep their bytes.
    void namesThatAreNotUtf8()
    {
        QTemporaryDir dir;
        const QByteArray root = QFile::encodeName(dir.path());
        const QByteArray folder = root + "/caf\xe9";
        const QByteArray plain = folder + "/VTS_01_1.VOB";
        const QByteArray latin = folder + "/VTS_02_1 \xe9t\xe9.VOB";
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        for (const QByteArray &file : {plain, latin}) {
            const int fd = ::open(file.constData(), O_WRONLY | O_CREAT, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }

        ConvertEng engine;
        engine.scanFolder(QStringLiteral(".VOB"), dir.path());
        QCOMPARE(engine.m_jobs.size(), 2);
        QCOMPARE(filepath::toNative(engine.m_jobs[0]->source), plain);
        QCOMPARE(filepath::toNative(engine.m_jobs[1]->source), latin);
        // Valid UTF-8 names come through as text, unchanged both ways.
        const QByteArray utf8 = "/dvd/\xc3\x9cn\xc3\xaf"
                                "c\xc3\xb8"
                                "d\xc3\xa9 \xe2\x98\x83 \xf0\x9f\x8e\xac";
        QCOMPARE(filepath::fromNative(utf8), QString::fromUtf8(utf8));
        QCOMPARE(filepath::toNative(QString::fromUtf8(utf8)), utf8);
        // Broken sequences: cut short, overlong, a surrogate, beyond U+10FFFF.
        for (const QByteArray &odd :
             {QByteArray("a\xc3"), QByteArray("\xc0\xaf"), QByteArray("\xed\xa0\x80"),
              QByteArray("\xf4\x90\x80\x80"), QByteArray("\xe2\x98"), QByteArray("\x80z\xff")}) {
            const QString carried = filepath::fromNative(odd);
            QCOMPARE(filepath::toNative(carried), odd);
            QVERIFY2(std::any_of(carried.cbegin(), carried.cend(),
                                 [](QChar c) { return filepath::carriedByte(c) >= 0; }),
                     odd.toHex().constData());
        }
    }

    // Folder links that fan out, each level linking twice to the next, must
    // not multiply the title: 18 levels would list it 262,144 times.
    void fanOutLinksListOnce()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        constexpr int levels = 18;
        for (int level = 0; level < levels; ++level) {
            const QString here = root + QStringLiteral("/level%1").arg(level);
            const QString next = root + QStringLiteral("/level%1").arg(level + 1);
            QVERIFY(QDir().mkpath(here));
            QVERIFY(QFile::link(next, here + "/a"));
            QVERIFY(QFile::link(next, here + "/b"));
        }
        touch(root + QStringLiteral("/level%1/VTS_01_1.VOB").arg(levels));

        ConvertEng engine;
        engine.scanFolder(QStringLiteral(".VOB"), root + "/level0");
        QCOMPARE(sources(engine).size(), 1);
        QString expected = root + "/level0";
        for (int level = 0; level < levels; ++level)
            expected += "/a";
        QCOMPARE(sources(engine).first(), expected + "/VTS_01_1.VOB");
    }

    // One real file under several names is one title, met under its first
    // name; a title listed by an earlier scan is not listed again.
    void fileLinksListOnce()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        touch(root + "/disc/VTS_01_2.VOB");
        QVERIFY(QFile::link(root + "/disc/VTS_01_2.VOB", root + "/disc/VTS_01_1.VOB"));
        QVERIFY(QFile::link(root + "/disc/VTS_01_2.VOB", root + "/disc/VTS_01_3.VOB"));
        QVERIFY(QFile::link(root + "/disc", root + "/other"));
        QCOMPARE(::link(QFile::encodeName(root + "/disc/VTS_01_2.VOB").constData(),
                        QFile::encodeName(root + "/hard_1.VOB").constData()),
                 0);

        ConvertEng engine;
        engine.scanFolder(QStringLiteral(".VOB"), root + "/disc");
        QCOMPARE(sources(engine), QStringList{root + "/disc/VTS_01_1.VOB"});
        engine.scanFolder(QStringLiteral(".VOB"), root);
        QCOMPARE(sources(engine), QStringList{root + "/disc/VTS_01_1.VOB"});
    }

    // Only regular files are titles: opening a FIFO or a device named like
    // one would block its probe for good.
    void regularFilesOnly()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        QCOMPARE(::mkfifo(QFile::encodeName(root + "/VTS_01_1.VOB").constData(), 0644), 0);
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), root + "/VTS_02_1.VOB"));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), root + "/VTS_03_1.VOB"));
        touch(root + "/VTS_04_1.VOB");

        ConvertEng engine;
        engine.scanFolder(QStringLiteral(".VOB"), root);
        QCOMPARE(sources(engine), QStringList{root + "/VTS_04_1.VOB"});
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
