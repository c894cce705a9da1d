// The preview player without real media: placement, the null handle, files
// that cannot be previewed, and the player's lifetime against its parent's.

#include "PictureScaler.h"
#include "PlayerProbe.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QtEndian>

#include <sys/stat.h>

class TestPrevkit : public QObject
{
    Q_OBJECT

private slots:
    void fillsTheGivenArea();
    void nullHandleAndNullParent();
    void unplayableFilesShowAMessage_data();
    void unplayableFilesShowAMessage();
    void releaseAfterTheParentIsGone();
    void displayShapes_data();
    void displayShapes();
    void fittingIntoTheArea();

private:
    QTemporaryDir m_dir;
};

void TestPrevkit::fillsTheGivenArea()
{
    PlayerProbe probe(QRect(15, 25, 320, 240));
    QVERIFY(probe.handle);
    QVERIFY(probe.player());
    QCOMPARE(probe.player()->parentWidget(), &probe.parent);
    QCOMPARE(probe.player()->geometry(), QRect(15, 25, 320, 240));
    QVERIFY(probe.player()->isVisible());
    // The controls sit inside the area, below the picture.
    for (QWidget *part :
         {static_cast<QWidget *>(probe.play()), static_cast<QWidget *>(probe.slider()),
          static_cast<QWidget *>(probe.time()), static_cast<QWidget *>(probe.snapshot())}) {
        QVERIFY(part);
        QVERIFY(probe.player()->rect().contains(part->geometry()));
        QVERIFY(part->geometry().top() >= probe.view()->geometry().bottom());
    }
    // Nothing to play yet.
    QVERIFY(!probe.play()->isEnabled());
    QVERIFY(!probe.snapshot()->isEnabled());

    // Without an area the player takes the whole parent.
    QWidget parent;
    parent.resize(300, 200);
    PrevkitHandle whole = prevkit_create(&parent, nullptr);
    QCOMPARE(parent.findChild<QWidget *>(QStringLiteral("prevkitPlayer"))->geometry(),
             QRect(0, 0, 300, 200));
    prevkit_release(whole);
    QVERIFY(!parent.findChild<QWidget *>(QStringLiteral("prevkitPlayer")));
}

void TestPrevkit::nullHandleAndNullParent()
{
    const QRect area(0, 0, 100, 100);
    QCOMPARE(prevkit_create(nullptr, &area), nullptr);
    prevkit_setSnapshotFolder(nullptr, m_dir.path());
    prevkit_setFile(nullptr, m_dir.filePath(QStringLiteral("x.VOB")));
    prevkit_reset(nullptr);
    prevkit_release(nullptr);
}

void TestPrevkit::unplayableFilesShowAMessage_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at all, or the special kinds

    QByteArray garbage;
    for (int i = 0; i < 200000; ++i)
        garbage.append(char((i * 7919 + i / 13) & 0xff));
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("garbage") << garbage;

    // One second of 8 kHz mono silence in a WAV file: media, but no picture.
    QByteArray wav("RIFF\0\0\0\0WAVEfmt ", 16);
    auto put32 = [&wav](quint32 v) { wav.append(reinterpret_cast<const char *>(&v), 4); };
    auto put16 = [&wav](quint16 v) { wav.append(reinterpret_cast<const char *>(&v), 2); };
    put32(qToLittleEndian<quint32>(16));
    put16(qToLittleEndian<quint16>(1));
    put16(qToLittleEndian<quint16>(1));
    put32(qToLittleEndian<quint32>(8000));
    put32(qToLittleEndian<quint32>(16000));
    put16(qToLittleEndian<quint16>(2));
    put16(qToLittleEndian<quint16>(16));
    wav.append("data", 4);
    put32(qToLittleEndian<quint32>(16000));
    wav.append(QByteArray(16000, '\0'));
    QTest::newRow("audio only") << wav;
    // A pipe with no writer would block the first read for ever.
    QTest::newRow("pipe") << QByteArray();
    QTest::newRow("folder") << QByteArray();
    QTest::newRow("no name") << QByteArray();
}

void TestPrevkit::unplayableFilesShowAMessage()
{
    QFETCH(QByteArray, content);
    const QByteArray tag = QTest::currentDataTag();
    const QString path =
        tag == "no name" ? QString() : m_dir.filePath(QString::fromLatin1(tag) + ".VOB");
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    } else if (tag == "pipe") {
        QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (tag == "folder") {
        QVERIFY(QDir().mkpath(path));
    }
    const QString snapshots = m_dir.filePath(QStringLiteral("snapshots"));

    PlayerProbe probe;
    prevkit_setSnapshotFolder(probe.handle, snapshots);
    prevkit_setFile(probe.handle, path);
    QTRY_COMPARE_WITH_TIMEOUT(probe.message(), QStringLiteral("Cannot preview this file"), 20000);
    QVERIFY(!probe.hasFrame());
    QVERIFY(!probe.play()->isEnabled());
    QVERIFY(!probe.slider()->isEnabled());
    QVERIFY(!probe.snapshot()->isEnabled());
    // A snapshot with no picture writes nothing, even when asked directly.
    probe.snapshot()->click();
    QMetaObject::invokeMethod(probe.snapshot(), "clicked", Q_ARG(bool, false));
    QVERIFY(!QDir(snapshots).exists());

    // reset takes the message away.
    prevkit_reset(probe.handle);
    QVERIFY(probe.message().isEmpty());
    QCOMPARE(PlayerProbe::colourCount(probe.picture()), 1);
}

void TestPrevkit::releaseAfterTheParentIsGone()
{
    auto *parent = new QWidget;
    const QRect area(0, 0, 200, 150);
    PrevkitHandle handle = prevkit_create(parent, &area);
    QPointer<QWidget> player = parent->findChild<QWidget *>(QStringLiteral("prevkitPlayer"));
    prevkit_setFile(handle, m_dir.filePath(QStringLiteral("none.VOB")));
    delete parent; // takes the player's widgets and thread with it
    QVERIFY(player.isNull());
    prevkit_setFile(handle, m_dir.filePath(QStringLiteral("none.VOB")));
    prevkit_reset(handle);
    prevkit_release(handle);
}

void TestPrevkit::displayShapes_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<double>("pixelAspect");
    QTest::addColumn<QSize>("shown");
    QTest::newRow("PAL 16:9") << QSize(720, 576) << 64.0 / 45 << QSize(1024, 576);
    QTest::newRow("PAL 4:3") << QSize(720, 576) << 16.0 / 15 << QSize(768, 576);
    QTest::newRow("NTSC 4:3") << QSize(720, 480) << 8.0 / 9 << QSize(640, 480);
    QTest::newRow("NTSC 16:9") << QSize(720, 480) << 32.0 / 27 << QSize(853, 480);
    QTest::newRow("square") << QSize(640, 360) << 1.0 << QSize(640, 360);
    QTest::newRow("no aspect") << QSize(720, 576) << 0.0 << QSize(720, 576);
    QTest::newRow("no picture") << QSize(0, 576) << 1.0 << QSize();
}

void TestPrevkit::displayShapes()
{
    QFETCH(QSize, stored);
    QFETCH(double, pixelAspect);
    QFETCH(QSize, shown);
    QCOMPARE(prevkit::displaySize(stored.width(), stored.height(), pixelAspect), shown);
}

void TestPrevkit::fittingIntoTheArea()
{
    // Bars above and below a wide picture, beside a narrow one, none when the
    // shapes match; always centred.
    QCOMPARE(prevkit::fitRect(QSize(360, 300), 16.0 / 9), QRect(0, 48, 360, 203));
    QCOMPARE(prevkit::fitRect(QSize(400, 150), 4.0 / 3), QRect(100, 0, 200, 150));
    QCOMPARE(prevkit::fitRect(QSize(320, 240), 4.0 / 3), QRect(0, 0, 320, 240));
    QVERIFY(!prevkit::fitRect(QSize(0, 240), 4.0 / 3).isValid());
    QVERIFY(!prevkit::fitRect(QSize(320, 240), 0).isValid());
    // A sliver of an area still gets a picture of at least one pixel.
    QCOMPARE(prevkit::fitRect(QSize(1, 300), 16.0 / 9).size(), QSize(1, 1));
}

QTEST_MAIN(TestPrevkit)
#include "tst_prevkit.moc"
