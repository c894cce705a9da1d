// Plays a title in the preview player for a number of seconds, offscreen,
// with a sound output that takes the sound at the rate a device does and
// drops it: the work of playing with sound, without a device. Run by
// scripts/bench-preview.sh, which measures it beside ffplay.
//
//     preview_bench TITLE SECONDS [WIDTH HEIGHT]

#include "SoundOutput.h"
#include "prevkit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSlider>
#include <QTest>
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
    const QSize area = argc == 5 ? QSize(atoi(argv[3]), atoi(argv[4])) : QSize(360, 240);
    prevkit::setSoundOutputFactory([] { return std::make_unique<NullSoundOutput>(); });

    QWidget window;
    window.resize(area);
    const QRect rect(QPoint(0, 0), area);
    PrevkitHandle player = prevkit_create(&window, &rect);
    window.show();
    prevkit_setFile(player, QString::fromLocal8Bit(argv[1]));
    auto *play = window.findChild<QToolButton *>(QStringLiteral("prevkitPlay"));
    auto *slider = window.findChild<QSlider *>(QStringLiteral("prevkitPosition"));
    if (!QTest::qWaitFor([&] { return play->isEnabled(); }, 20000)) {
        std::fprintf(stderr, "preview_bench: cannot open %s\n", argv[1]);
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    play->click();
    int frames = 0;
    int last = slider->value();
    while (clock.elapsed() < seconds * 1000 && play->toolTip() == QStringLiteral("Pause")) {
        QTest::qWait(5);
        if (slider->value() != last) {
            ++frames;
            last = slider->value();
        }
    }
    std::printf("preview: %.1f s played to %.2f s of the title, %d positions shown\n",
                clock.elapsed() / 1000.0, last / 1000.0, frames);
    prevkit_release(player);
    return 0;
}
