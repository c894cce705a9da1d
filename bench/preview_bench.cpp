// Plays a title in the preview player for a number of seconds, offscreen,
// with a sound output that takes the sound at the rate a device does and
// drops it: the work of playing with sound, without a device. Run by
// scripts/bench-preview.sh, which measures it beside ffplay.
//
//     preview_bench TITLE SECONDS [WIDTH HEIGHT]
//
// WIDTH x HEIGHT is the picture area (default 360x202); the control row comes
// below it. Prints how far it played and how many positions it showed.

#include "SoundOutput.h"
#include "prevkit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <mutex>

namespace
{

class NullSoundOutput : public prevkit::SoundOutput
{
public:
    bool open(prevkit::SoundFormat *format) override
    {
        format->sampleRate = 48000;
        format->channels = 2;
        format->sample = prevkit::SoundFormat::Sample::Int16;
        clear();
        return true;
    }
    void close() override { clear(); }
    void clear() override
    {
        m_written = 0;
        m_played = 0;
        m_last = Clock::now();
    }
    qint64 bytesFree() const override
    {
        run();
        return std::max<qint64>(0, qint64((0.2 - (m_written - m_played)) * 48000) * 4);
    }
    void write(const char *, qint64 bytes) override
    {
        run();
        m_written += bytes / 4 / 48000.0;
    }
    double playedSeconds() const override
    {
        run();
        return m_played;
    }
    void setPaused(bool paused) override
    {
        run();
        m_paused = paused;
    }
    void setVolume(double) override {}

private:
    using Clock = std::chrono::steady_clock;
    void run() const
    {
        const Clock::time_point now = Clock::now();
        if (!m_paused)
            m_played =
                std::min(m_written, m_played + std::chrono::duration<double>(now - m_last).count());
        m_last = now;
    }
    double m_written = 0;
    mutable double m_played = 0;
    mutable Clock::time_point m_last = Clock::now();
    bool m_paused = true;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: preview_bench TITLE SECONDS [WIDTH HEIGHT]\n");
        return 2;
    }
    const double seconds = QString::fromLocal8Bit(argv[2]).toDouble();
    const QSize area = argc == 5 ? QSize(atoi(argv[3]), atoi(argv[4])) : QSize(360, 202);
    prevkit::setSoundOutputFactory([] { return std::make_unique<NullSoundOutput>(); });

    // The player gets the picture area asked for, its control row below it.
    QWidget window;
    window.resize(area);
    const QRect rect(QPoint(0, 0), area);
    PrevkitHandle player = prevkit_create(&window, &rect);
    window.show();
    auto *widget = window.findChild<QWidget *>(QStringLiteral("prevkitPlayer"));
    auto *view = window.findChild<QWidget *>(QStringLiteral("prevkitView"));
    QCoreApplication::processEvents();
    const int controls = widget->height() - view->height();
    window.resize(area.width(), area.height() + controls);
    widget->setGeometry(0, 0, area.width(), area.height() + controls);
    prevkit_setFile(player, QString::fromLocal8Bit(argv[1]));
    auto *play = window.findChild<QToolButton *>(QStringLiteral("prevkitPlay"));
    auto *slider = window.findChild<QSlider *>(QStringLiteral("prevkitPosition"));
    if (!QTest::qWaitFor([&] { return play->isEnabled(); }, 20000)) {
        std::fprintf(stderr, "preview_bench: cannot open %s\n", argv[1]);
        return 1;
    }
    // The loop sleeps until the player has something to show or the time is
    // up: a bench that polled the player would be measuring itself.
    int positions = 0;
    QObject::connect(slider, &QSlider::valueChanged, [&] { ++positions; });
    QEventLoop loop;
    QTimer finished; // the title ended before the time was up
    finished.setInterval(250);
    QObject::connect(&finished, &QTimer::timeout, &loop, [&] {
        if (play->toolTip() != QStringLiteral("Pause"))
            loop.quit();
    });
    QElapsedTimer clock;
    clock.start();
    play->click();
    QTimer::singleShot(int(seconds * 1000), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    finished.start();
    loop.exec();
    std::printf("preview: %.1f s played to %.2f s of the title, %d positions shown, "
                "pictures drawn in %dx%d\n",
                clock.elapsed() / 1000.0, slider->value() / 1000.0, positions, view->width(),
                view->height());
    prevkit_release(player);
    return 0;
}
