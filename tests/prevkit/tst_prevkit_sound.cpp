// The preview's sound, heard through a recording output: the title's tone
// reaches it, in step with the pictures through play, pause, seek and a
// restart of the timestamps; nothing is fed while paused or after a reset;
// pictures play without sound or without a device; the volume control
// reaches the output and is remembered.

#include "DecodeWorker.h"
#include "FakeSoundOutput.h"
#include "PlayerProbe.h"

#include <QAudio>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using Clock = std::chrono::steady_clock;
using prevkit::DecodeWorker;

namespace
{

constexpr int kTimeout = 20000;
constexpr double kTone = 1000; // Hz, of the bursts in the test titles
// Media the tests make: PAL DVD program streams whose sound is silence with a
// 0.1 s burst of the tone at every whole second, so that the moment a burst
// is heard says which second of the title is playing.
const char *const kBursts =
    "aevalsrc='if(lt(mod(t\\,1)\\,0.1)\\,0.8*sin(2*PI*1000*t)\\,0)':s=48000";

bool makeTitle(const QString &path, double seconds, bool sound)
{
    QStringList args = {"-nostdin", "-hide_banner", "-loglevel",
                        "error",    "-y",           "-f",
                        "lavfi",    "-i",           "testsrc2=size=720x576:rate=25"};
    if (sound)
        args << "-f"
             << "lavfi"
             << "-i" << QString::fromLatin1(kBursts);
    args << "-t" << QString::number(seconds) << "-target"
         << "pal-dvd"
         << "-aspect"
         << "16:9"
         << "-threads"
         << "2";
    if (sound)
        args << "-ac"
             << "2";
    else
        args << "-an";
    args << path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), args);
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

// What the worker reports, with the moment each picture was handed over.
class Seen : public DecodeWorker::Listener
{
public:
    struct Shown {
        double position;
        Clock::time_point wall;
        bool playing;
    };

    void fileOpened(int, const prevkit::PreviewInfo &info) override
    {
        std::lock_guard lock(mutex);
        ++opened;
        this->info = info;
    }
    void fileFailed(int) override
    {
        std::lock_guard lock(mutex);
        ++failed;
    }
    void frameReady(int, const prevkit::DecodedFrame &frame, bool playing) override
    {
        std::lock_guard lock(mutex);
        frames.push_back({frame.position, Clock::now(), playing});
    }
    void playStateChanged(int, bool playing) override
    {
        std::lock_guard lock(mutex);
        this->playing = playing;
        ++stateChanges;
    }

    double lastPosition()
    {
        std::lock_guard lock(mutex);
        return frames.empty() ? -1 : frames.back().position;
    }
    bool isPlaying()
    {
        std::lock_guard lock(mutex);
        return playing;
    }

    std::mutex mutex;
    int opened = 0;
    int failed = 0;
    int stateChanges = 0;
    bool playing = false;
    prevkit::PreviewInfo info;
    std::vector<Shown> frames;
};

// The bursts heard since `since`, each matched with the picture of the same
// title second: how much later (ms) the sound came than its picture.
QList<double> driftOf(FakeSoundOutput::Record &record, Seen &seen, Clock::time_point since)
{
    std::lock_guard soundLock(record.mutex);
    std::lock_guard pictureLock(seen.mutex);
    std::vector<Seen::Shown> played;
    for (const Seen::Shown &shown : seen.frames)
        if (shown.playing)
            played.push_back(shown);
    QList<double> drift;
    if (played.empty())
        return drift;
    const qint16 threshold = qint16(0.25 * 32767);
    const size_t quiet = size_t(0.3 * record.rate);
    size_t lastLoud = 0;
    bool anyLoud = false;
    for (size_t i = 0; i < record.heard.size(); ++i) {
        if (std::abs(int(record.heard[i])) < threshold)
            continue;
        const bool onset = !anyLoud || i - lastLoud > quiet;
        anyLoud = true;
        lastLoud = i;
        if (!onset || record.heardWall[i] < since)
            continue;
        const Clock::time_point heardAt = record.heardWall[i];
        // The title second the picture clock was at: from the picture shown
        // nearest to that moment.
        auto nearestInTime = std::min_element(
            played.begin(), played.end(), [&](const Seen::Shown &a, const Seen::Shown &b) {
                return std::abs(std::chrono::duration<double>(a.wall - heardAt).count()) <
                       std::abs(std::chrono::duration<double>(b.wall - heardAt).count());
            });
        const double guess = nearestInTime->position +
                             std::chrono::duration<double>(heardAt - nearestInTime->wall).count();
        const double second = std::round(guess);
        auto nearest = std::min_element(
            played.begin(), played.end(), [&](const Seen::Shown &a, const Seen::Shown &b) {
                return std::abs(a.position - second) < std::abs(b.position - second);
            });
        if (std::abs(nearest->position - second) > 0.1)
            continue; // that second's pictures were not shown (a seek passed it)
        const double pictureAt =
            std::chrono::duration<double>(nearest->wall.time_since_epoch()).count() +
            (second - nearest->position);
        const double soundAt = std::chrono::duration<double>(heardAt.time_since_epoch()).count();
        drift << (soundAt - pictureAt) * 1000;
    }
    return drift;
}

void printDrift(const char *what, const QList<double> &drift)
{
    QStringList values;
    for (double d : drift)
        values << QString::number(d, 'f', 1);
    std::printf("drift %s (ms, sound after picture): %s\n", what, qPrintable(values.join(", ")));
    std::fflush(stdout);
}

// Sound and picture within 40 ms of each other. A loaded machine may delay
// one picture now and then; one burst in ten may miss, by no more than
// twice that.
void checkDrift(const QList<double> &drift, int atLeast)
{
    QVERIFY2(drift.size() >= atLeast, qPrintable(QString::number(drift.size())));
    int off = 0;
    for (double d : drift) {
        QVERIFY2(std::abs(d) <= 80, qPrintable(QString::number(d)));
        if (std::abs(d) > 40)
            ++off;
    }
    QVERIFY2(off * 10 <= drift.size(), qPrintable(QString::number(off)));
}

// The frequency of the first burst heard since `from`.
double toneOf(FakeSoundOutput::Record &record)
{
    std::lock_guard lock(record.mutex);
    const qint16 threshold = qint16(0.25 * 32767);
    auto loud = std::find_if(record.heard.begin(), record.heard.end(),
                             [&](qint16 s) { return std::abs(int(s)) >= threshold; });
    if (loud == record.heard.end())
        return 0;
    const size_t start = size_t(loud - record.heard.begin()) + size_t(0.01 * record.rate);
    const size_t length = size_t(0.07 * record.rate);
    if (start + length >= record.heard.size())
        return 0;
    int crossings = 0;
    for (size_t i = start + 1; i < start + length; ++i)
        if ((record.heard[i - 1] < 0) != (record.heard[i] < 0))
            ++crossings;
    return crossings / 2.0 / 0.07;
}

bool waitFor(const std::function<bool()> &condition, int ms = kTimeout)
{
    return QTest::qWaitFor(condition, ms);
}

} // namespace

class TestPrevkitSound : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void soundFollowsThePictures();
    void soundFollowsThroughAClockRestart();
    void soundOfADvdTitleFile();
    void nothingFedAfterPauseOrReset();
    void picturesWithoutSoundOrDevice_data();
    void picturesWithoutSoundOrDevice();
    void volumeReachesTheOutputAndIsRemembered();
    void cleanup();

private:
    QString media(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestPrevkitSound::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("prevkit tests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_prevkit_sound"));
    QVERIFY(m_dir.isValid());
    QVERIFY(makeTitle(media("bursts.mpg"), 8, true));
    QVERIFY(makeTitle(media("mute.mpg"), 3, false));
    // Two titles of 3 s joined byte for byte: the timestamps restart at 3 s.
    QVERIFY(makeTitle(media("first.mpg"), 3, true));
    QFile joined(media("restart.mpg"));
    QVERIFY(joined.open(QIODevice::WriteOnly));
    for (int i = 0; i < 2; ++i) {
        QFile part(media("first.mpg"));
        QVERIFY(part.open(QIODevice::ReadOnly));
        joined.write(part.readAll());
    }
}

void TestPrevkitSound::cleanup()
{
    prevkit::setSoundOutputFactory({});
}

void TestPrevkitSound::soundFollowsThePictures()
{
    auto record = std::make_shared<FakeSoundOutput::Record>();
    Seen seen;
    DecodeWorker worker(&seen, std::make_unique<FakeSoundOutput>(record));
    worker.start();
    worker.open(1, media("bursts.mpg"));
    QVERIFY(waitFor([&] { return seen.lastPosition() >= 0 && seen.opened == 1; }));
    QVERIFY(seen.info.sound);
    const Clock::time_point start = Clock::now();

    worker.setPlaying(true);
    QVERIFY(waitFor([&] { return seen.lastPosition() >= 2.3; }));
    worker.setPlaying(false);
    QTest::qWait(600);
    worker.setPlaying(true);
    QVERIFY(waitFor([&] { return seen.lastPosition() >= 3.3; }));
    const QList<double> played = driftOf(*record, seen, start);
    printDrift("play and pause", played);
    checkDrift(played, 3);

    // A seek while playing: the sound starts again at the target, with it.
    const Clock::time_point seek = Clock::now();
    worker.seek(5.5);
    QVERIFY(waitFor([&] { return !seen.isPlaying(); }));
    const QList<double> sought = driftOf(*record, seen, seek);
    printDrift("after a seek", sought);
    checkDrift(sought, 2);

    // What was heard is the title's tone, converted to the device's rate.
    QVERIFY2(std::abs(toneOf(*record) - kTone) < kTone * 0.05,
             qPrintable(QString::number(toneOf(*record))));
    std::lock_guard lock(record->mutex);
    // 3.3 s played, then 2.5 s after the seek.
    const double heard = double(record->heard.size()) / record->rate;
    QVERIFY2(heard > 5.0 && heard < 6.5, qPrintable(QString::number(heard)));
}

void TestPrevkitSound::soundFollowsThroughAClockRestart()
{
    auto record = std::make_shared<FakeSoundOutput::Record>();
    record->rate = 48000;
    Seen seen;
    DecodeWorker worker(&seen, std::make_unique<FakeSoundOutput>(record));
    worker.start();
    worker.open(1, media("restart.mpg"));
    QVERIFY(waitFor([&] { return seen.opened == 1; }));
    const Clock::time_point start = Clock::now();
    worker.setPlaying(true);
    QVERIFY(waitFor([&] { return seen.stateChanges >= 1; }));
    QVERIFY(waitFor([&] { return !seen.isPlaying(); }));

    const QList<double> drift = driftOf(*record, seen, start);
    printDrift("through a restart", drift);
    checkDrift(drift, 5);
    std::lock_guard lock(record->mutex);
    const double heard = double(record->heard.size()) / record->rate;
    QVERIFY2(heard > 5.7, qPrintable(QString::number(heard)));
    std::lock_guard pictures(seen.mutex);
    QVERIFY(seen.frames.back().position > 5.7);
}

// The frequency heard at `wall`, over 50 ms.
double toneAt(FakeSoundOutput::Record &record, Clock::time_point wall)
{
    const auto at = std::lower_bound(record.heardWall.begin(), record.heardWall.end(), wall);
    const size_t start = size_t(at - record.heardWall.begin());
    const size_t length = size_t(0.05 * record.rate);
    if (start + length >= record.heard.size())
        return 0;
    int crossings = 0;
    for (size_t i = start + 1; i < start + length; ++i)
        if ((record.heard[i - 1] < 0) != (record.heard[i] < 0))
            ++crossings;
    return crossings / 2.0 / 0.05;
}

// Two titles in one DVD title file, 3 s of 440 Hz then 2 s of 880 Hz, their
// times from the DVD's tables: while a picture of either is shown, its own
// tone is heard.
void TestPrevkitSound::soundOfADvdTitleFile()
{
    auto record = std::make_shared<FakeSoundOutput::Record>();
    record->rate = 48000;
    Seen seen;
    DecodeWorker worker(&seen, std::make_unique<FakeSoundOutput>(record));
    worker.start();
    worker.open(1, QDir(qEnvironmentVariable("VELKO_FIXTURES"))
                       .filePath(QStringLiteral("dvd/VIDEO_TS/VTS_01_1.VOB")));
    QVERIFY(waitFor([&] { return seen.opened == 1; }));
    QVERIFY(seen.info.sound);
    QVERIFY2(std::abs(seen.info.duration - 5.0) < 0.1,
             qPrintable(QString::number(seen.info.duration)));
    worker.setPlaying(true);
    QVERIFY(waitFor([&] { return seen.stateChanges >= 1; }));
    QVERIFY(waitFor([&] { return !seen.isPlaying(); }));

    std::lock_guard soundLock(record->mutex);
    std::lock_guard pictureLock(seen.mutex);
    std::vector<Seen::Shown> played;
    for (const Seen::Shown &shown : seen.frames)
        if (shown.playing)
            played.push_back(shown);
    QVERIFY(played.size() > 50);
    // Paced by the sound: the pictures took as long as the time they span.
    const double span = played.back().position - played.front().position;
    const double took =
        std::chrono::duration<double>(played.back().wall - played.front().wall).count();
    QVERIFY2(std::abs(took - span) < 0.3,
             qPrintable(QStringLiteral("%1 s of pictures in %2 s").arg(span).arg(took)));
    int checked = 0;
    for (const Seen::Shown &shown : played) {
        const double inTitle = shown.position < 3 ? shown.position : shown.position - 3;
        if (inTitle < 0.3 || inTitle > 1.7)
            continue; // away from the starts and ends of the tones
        const double expected = shown.position < 3 ? 440 : 880;
        const double heard = toneAt(*record, shown.wall);
        QVERIFY2(std::abs(heard - expected) < expected * 0.1,
                 qPrintable(QStringLiteral("%1 Hz at %2 s").arg(heard).arg(shown.position)));
        ++checked;
    }
    QVERIFY(checked > 40);
}

void TestPrevkitSound::nothingFedAfterPauseOrReset()
{
    auto record = std::make_shared<FakeSoundOutput::Record>();
    Seen seen;
    DecodeWorker worker(&seen, std::make_unique<FakeSoundOutput>(record));
    worker.start();
    worker.open(1, media("bursts.mpg"));
    QVERIFY(waitFor([&] { return seen.opened == 1; }));
    worker.setPlaying(true);
    QVERIFY(waitFor([&] { return seen.lastPosition() >= 1.0; }));
    auto counts = [&] {
        std::lock_guard lock(record->mutex);
        record->advance();
        return std::make_pair(record->writes.size(), record->heard.size());
    };
    QVERIFY(counts().first > 0);

    worker.setPlaying(false);
    QVERIFY(waitFor([&] { return !seen.isPlaying(); }));
    const auto paused = counts();
    QTest::qWait(400);
    QCOMPARE(counts(), paused); // nothing fed, nothing heard
    worker.seek(4.0);           // a seek while paused feeds nothing either
    QVERIFY(waitFor([&] { return std::abs(seen.lastPosition() - 4.0) < 0.05; }));
    QTest::qWait(200);
    QCOMPARE(counts().first, paused.first);

    worker.setPlaying(true);
    QVERIFY(waitFor([&] { return seen.lastPosition() >= 4.5; }));
    worker.open(2, QString()); // the reset
    QVERIFY(waitFor([&] {
        std::lock_guard lock(record->mutex);
        return record->closes >= 1 && !record->open;
    }));
    const auto reset = counts();
    QTest::qWait(400);
    QCOMPARE(counts(), reset);
    std::lock_guard lock(record->mutex);
    QVERIFY(record->queued.empty()); // nothing left to be heard
}

void TestPrevkitSound::picturesWithoutSoundOrDevice_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("device");
    QTest::newRow("no device") << "bursts.mpg" << false;
    QTest::newRow("no sound") << "mute.mpg" << true;
}

void TestPrevkitSound::picturesWithoutSoundOrDevice()
{
    QFETCH(QString, title);
    QFETCH(bool, device);
    auto record = std::make_shared<FakeSoundOutput::Record>();
    record->device = device;
    Seen seen;
    DecodeWorker worker(&seen, std::make_unique<FakeSoundOutput>(record));
    worker.start();
    worker.open(1, media(title));
    QVERIFY(waitFor([&] { return seen.opened == 1; }));
    QVERIFY(!seen.info.sound);
    QCOMPARE(seen.failed, 0);
    const Clock::time_point start = Clock::now();
    worker.setPlaying(true);
    QVERIFY(waitFor([&] { return seen.lastPosition() >= 1.5; }));
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    // On the steady clock: as fast as time passes, no faster.
    QVERIFY2(seen.lastPosition() <= elapsed + 0.3,
             qPrintable(QStringLiteral("%1 after %2 s").arg(seen.lastPosition()).arg(elapsed)));
    std::lock_guard lock(record->mutex);
    QCOMPARE(record->opens, device ? 0 : 1); // a title without sound does not ask for it
    QVERIFY(record->writes.isEmpty());
}

void TestPrevkitSound::volumeReachesTheOutputAndIsRemembered()
{
    QSettings().clear();
    auto record = std::make_shared<FakeSoundOutput::Record>();
    prevkit::setSoundOutputFactory([record] { return std::make_unique<FakeSoundOutput>(record); });
    auto volumeOf = [&] {
        std::lock_guard lock(record->mutex);
        return record->volume;
    };
    {
        PlayerProbe probe;
        auto *volume = probe.player()->findChild<QSlider *>(QStringLiteral("prevkitVolume"));
        auto *mute = probe.player()->findChild<QToolButton *>(QStringLiteral("prevkitMute"));
        QVERIFY(volume && mute);
        QVERIFY(probe.player()->rect().contains(volume->geometry()));
        QVERIFY(volume->geometry().top() >= probe.view()->geometry().bottom());
        QCOMPARE(volume->value(), 100); // full, the first time
        QVERIFY(!mute->isChecked());
        prevkit_setFile(probe.handle, media("bursts.mpg"));
        QVERIFY(waitFor([&] { return probe.hasFrame() && probe.play()->isEnabled(); }));
        QVERIFY(waitFor([&] { return volumeOf() == 1.0; }));

        volume->setValue(50);
        const double half =
            QAudio::convertVolume(0.5, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale);
        QVERIFY(waitFor([&] { return std::abs(volumeOf() - half) < 1e-6; }));
        mute->click();
        QVERIFY(waitFor([&] { return volumeOf() == 0.0; }));
        QCOMPARE(mute->toolTip(), QStringLiteral("Sound on"));
    }
    QSettings profile;
    QCOMPARE(profile.value(QStringLiteral("PreviewVolume")).toInt(), 50);
    QCOMPARE(profile.value(QStringLiteral("PreviewMuted")).toBool(), true);

    // The next player starts where the last one was left, and a file opened
    // then plays at that volume.
    PlayerProbe probe;
    auto *volume = probe.player()->findChild<QSlider *>(QStringLiteral("prevkitVolume"));
    auto *mute = probe.player()->findChild<QToolButton *>(QStringLiteral("prevkitMute"));
    QCOMPARE(volume->value(), 50);
    QVERIFY(mute->isChecked());
    {
        std::lock_guard lock(record->mutex);
        record->volume = -1;
    }
    prevkit_setFile(probe.handle, media("bursts.mpg"));
    QVERIFY(waitFor([&] { return volumeOf() == 0.0; }));
    mute->click();
    const double half =
        QAudio::convertVolume(0.5, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale);
    QVERIFY(waitFor([&] { return std::abs(volumeOf() - half) < 1e-6; }));
}

QTEST_MAIN(TestPrevkitSound)
#include "tst_prevkit_sound.moc"
