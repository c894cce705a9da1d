// The preview player without real media: placement, the null handle, files
// that cannot be previewed, the player's lifetime against its parent's, and
// the conversion of decoded pictures to the images drawn.

#include "PictureScaler.h"
#include "PlayerProbe.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QtEndian>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

#include <memory>

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
    void picturesKeepTheirColoursAtEverySize_data();
    void picturesKeepTheirColoursAtEverySize();
    void picturesKeepTheirRange_data();
    void picturesKeepTheirRange();
    void imagesHeldAreNeverOverwritten();

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

namespace
{

using Picture = std::unique_ptr<AVFrame, void (*)(AVFrame *)>;

// A decoded picture of `format`, its left half of one colour and its right
// half of another (Y, U, V of each).
Picture makePicture(int format, QSize size, const int left[3], const int right[3])
{
    Picture picture(av_frame_alloc(), [](AVFrame *p) { av_frame_free(&p); });
    picture->format = format;
    picture->width = size.width();
    picture->height = size.height();
    if (av_frame_get_buffer(picture.get(), 0) < 0)
        return Picture(nullptr, [](AVFrame *) {});
    const AVPixFmtDescriptor *layout = av_pix_fmt_desc_get(AVPixelFormat(format));
    for (int plane = 0; plane < 3; ++plane) {
        const int across = plane == 0 ? 0 : layout->log2_chroma_w;
        const int down = plane == 0 ? 0 : layout->log2_chroma_h;
        const int width = -((-size.width()) >> across); // rounded up
        const int height = -((-size.height()) >> down);
        for (int y = 0; y < height; ++y) {
            uint8_t *row = picture->data[plane] + y * picture->linesize[plane];
            for (int x = 0; x < width; ++x)
                row[x] = uint8_t(x < width / 2 ? left[plane] : right[plane]);
        }
    }
    return picture;
}

bool near(QRgb pixel, QRgb wanted, int tolerance)
{
    return std::abs(qRed(pixel) - qRed(wanted)) <= tolerance &&
           std::abs(qGreen(pixel) - qGreen(wanted)) <= tolerance &&
           std::abs(qBlue(pixel) - qBlue(wanted)) <= tolerance;
}

QString rgbText(QRgb pixel)
{
    return QStringLiteral("%1,%2,%3").arg(qRed(pixel)).arg(qGreen(pixel)).arg(qBlue(pixel));
}

} // namespace

void TestPrevkit::picturesKeepTheirColoursAtEverySize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("drawn, 4:3 in 360x202") << QSize(269, 202);
    QTest::newRow("drawn, 16:9 in 360x202") << QSize(359, 202);
    QTest::newRow("snapshot, stored size") << QSize(720, 576);
    QTest::newRow("snapshot, 16:9 shape") << QSize(1024, 576);
    QTest::newRow("narrow") << QSize(7, 5);
    QTest::newRow("odd and small") << QSize(17, 13);
}

// A red left half and a blue right half come out red and blue at any size,
// to the last column and row (the converter works in groups of pixels, and
// a width that is not a whole number of groups must still be filled).
void TestPrevkit::picturesKeepTheirColoursAtEverySize()
{
    QFETCH(QSize, size);
    const int red[3] = {81, 90, 240}; // limited-range BT.601
    const int blue[3] = {41, 240, 110};
    for (int format : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV422P}) {
        const Picture picture = makePicture(format, QSize(720, 576), red, blue);
        QVERIFY(picture);
        prevkit::PictureScaler scaler;
        // Twice: the second picture reuses what the first one set up.
        for (int pass = 0; pass < 2; ++pass) {
            const QImage image = scaler.toImage(picture.get(), size);
            QCOMPARE(image.size(), size);
            QCOMPARE(image.format(), QImage::Format_RGB32);
            const int lastRow = size.height() - 1;
            for (int y : {0, lastRow / 2, lastRow}) {
                const QRgb left = image.pixel(0, y);
                const QRgb right = image.pixel(size.width() - 1, y);
                QVERIFY2(near(left, qRgb(255, 0, 0), 12), qPrintable(rgbText(left)));
                QVERIFY2(near(right, qRgb(0, 0, 255), 12), qPrintable(rgbText(right)));
            }
        }
    }
}

void TestPrevkit::picturesKeepTheirRange_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("grey"); // of Y = 16, no colour
    QTest::newRow("limited") << int(AV_PIX_FMT_YUV420P) << int(AVCOL_RANGE_MPEG) << 0;
    QTest::newRow("unspecified") << int(AV_PIX_FMT_YUV420P) << int(AVCOL_RANGE_UNSPECIFIED) << 0;
    QTest::newRow("full") << int(AV_PIX_FMT_YUV420P) << int(AVCOL_RANGE_JPEG) << 16;
    QTest::newRow("full by its format")
        << int(AV_PIX_FMT_YUVJ420P) << int(AVCOL_RANGE_UNSPECIFIED) << 16;
}

// Limited range puts black at 16; a full-range picture's 16 is a dark grey.
// Both the scaled image and the one at the stored size keep that apart.
void TestPrevkit::picturesKeepTheirRange()
{
    QFETCH(int, format);
    QFETCH(int, range);
    QFETCH(int, grey);
    const int dark[3] = {16, 128, 128};
    const Picture picture = makePicture(format, QSize(720, 576), dark, dark);
    QVERIFY(picture);
    picture->color_range = static_cast<AVColorRange>(range);
    prevkit::PictureScaler scaler;
    for (const QSize size : {QSize(269, 202), QSize(720, 576)}) {
        const QRgb pixel = scaler.toImage(picture.get(), size).pixel(size.width() / 2, 1);
        QVERIFY2(near(pixel, qRgb(grey, grey, grey), 3), qPrintable(rgbText(pixel)));
    }
}

// An image still held (queued, or on show) keeps its picture while the next
// ones are made; one let go is written again rather than a fresh one made.
void TestPrevkit::imagesHeldAreNeverOverwritten()
{
    const int red[3] = {81, 90, 240};
    const int blue[3] = {41, 240, 110};
    const Picture redBlue = makePicture(AV_PIX_FMT_YUV420P, QSize(720, 576), red, blue);
    const Picture blueRed = makePicture(AV_PIX_FMT_YUV420P, QSize(720, 576), blue, red);
    QVERIFY(redBlue && blueRed);
    prevkit::PictureScaler scaler;
    const QSize size(269, 202);
    const QImage held = scaler.toImage(redBlue.get(), size);
    QImage next = scaler.toImage(blueRed.get(), size);
    QVERIFY(near(held.pixel(0, 0), qRgb(255, 0, 0), 12));
    QVERIFY(near(next.pixel(0, 0), qRgb(0, 0, 255), 12));
    const uchar *const released = next.constBits();
    next = QImage();
    const QImage again = scaler.toImage(blueRed.get(), size);
    QCOMPARE(again.constBits(), released);
    QVERIFY(near(held.pixel(0, 0), qRgb(255, 0, 0), 12));
}

QTEST_MAIN(TestPrevkit)
#include "tst_prevkit.moc"
