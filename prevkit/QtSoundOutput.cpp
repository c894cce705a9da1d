#include "QtSoundOutput.h"

#include "SoundQueue.h"
#include "Tuning.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QTimer>

#include <algorithm>
#include <cmath>

Q_DECLARE_LOGGING_CATEGORY(lcDecoder)

namespace prevkit
{

namespace
{

// How often the sink is asked how much it still holds.
constexpr int kMeasureMs = 10;
// How far one reading pulls the running clock towards it, and how far off a
// reading must be to set the clock outright (seconds).
constexpr double kClockPull = 0.1;
constexpr double kClockSnap = 0.1;

SoundFormat::Sample sampleOf(QAudioFormat::SampleFormat format)
{
    switch (format) {
    case QAudioFormat::UInt8:
        return SoundFormat::Sample::UInt8;
    case QAudioFormat::Int32:
        return SoundFormat::Sample::Int32;
    case QAudioFormat::Float:
        return SoundFormat::Sample::Float;
    default:
        return SoundFormat::Sample::Int16;
    }
}

} // namespace

QtSoundOutput::QtSoundOutput()
{
    m_thread.setObjectName(QStringLiteral("prevkit sound"));
    m_home = new QObject;
    m_home->moveToThread(&m_thread);
    m_thread.start();
}

QtSoundOutput::~QtSoundOutput()
{
    close();
    m_thread.quit();
    m_thread.wait();
    delete m_home;
}

void QtSoundOutput::onSinkThread(const std::function<void()> &call)
{
    if (QThread::currentThread() == &m_thread)
        call();
    else
        QMetaObject::invokeMethod(m_home, call, Qt::BlockingQueuedConnection);
}

bool QtSoundOutput::open(SoundFormat *format)
{
    close();
    bool opened = false;
    onSinkThread([&] {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return;
        QAudioFormat wanted = device.preferredFormat();
        if (!wanted.isValid()) {
            wanted.setSampleRate(format->sampleRate);
            wanted.setChannelCount(format->channels);
        }
        if (wanted.sampleFormat() == QAudioFormat::Unknown)
            wanted.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(wanted))
            return;
        m_queue = new SoundQueue(m_home);
        m_queue->open(QIODevice::ReadOnly);
        m_device = device;
        m_deviceFormat = wanted;
        if (!startSink(true)) {
            stopSink();
            return;
        }
        // Started with the sound: a paused player wakes nobody.
        m_timer = new QTimer(m_home);
        m_timer->setInterval(kMeasureMs);
        QObject::connect(m_timer, &QTimer::timeout, m_home, [this] { measure(); });

        std::lock_guard lock(m_mutex);
        m_format.sampleRate = wanted.sampleRate();
        m_format.channels = wanted.channelCount();
        m_format.sample = sampleOf(wanted.sampleFormat());
        m_capacity = wanted.bytesForDuration(qint64(kOutputQueue * 1e6));
        m_open = true;
        m_paused = true;
        m_taken = 0;
        m_heardBytes = 0;
        m_heardAt = std::chrono::steady_clock::now();
        opened = true;
    });
    if (opened)
        *format = m_format;
    return opened;
}

void QtSoundOutput::stopSink()
{
    delete m_timer;
    m_timer = nullptr;
    if (m_sink)
        m_sink->stop();
    delete m_sink;
    m_sink = nullptr;
    delete m_queue;
    m_queue = nullptr;
    std::lock_guard lock(m_mutex);
    m_open = false;
}

void QtSoundOutput::close()
{
    onSinkThread([this] { stopSink(); });
}

// A sink started again after stop() may never ask for sound again (its
// buffer shrinks with every restart), so clearing makes a new one.
void QtSoundOutput::clear()
{
    onSinkThread([this] {
        if (!m_sink)
            return;
        m_sink->stop();
        delete m_sink;
        m_sink = nullptr;
        m_queue->clear();
        bool paused;
        {
            std::lock_guard lock(m_mutex);
            paused = m_paused;
            m_taken = 0;
            m_heardBytes = 0;
            m_heardAt = std::chrono::steady_clock::now();
        }
        if (!startSink(paused))
            stopSink();
    });
}

// On the sink's thread: a sink on the device, pulling from the queue.
bool QtSoundOutput::startSink(bool suspended)
{
    m_sink = new QAudioSink(m_device, m_deviceFormat, m_home);
    m_sink->setBufferSize(m_deviceFormat.bytesForDuration(qint64(kOutputQueue * 1e6)));
    m_sink->start(m_queue);
    if (m_sink->error() != QAudio::NoError) {
        qCDebug(lcDecoder) << "sound device refused to start:" << m_sink->error();
        return false;
    }
    if (suspended)
        m_sink->suspend();
    return true;
}

qint64 QtSoundOutput::bytesFree() const
{
    std::lock_guard lock(m_mutex);
    if (!m_open || !m_queue)
        return 0;
    return std::max<qint64>(0, m_capacity - m_queue->waiting());
}

void QtSoundOutput::write(const char *data, qint64 bytes)
{
    std::lock_guard lock(m_mutex);
    if (m_open && m_queue && bytes > 0)
        m_queue->append(data, bytes);
}

// What has been heard is what the sink took less what it still holds. The
// sink reports that in steps (its device takes sound in blocks), so the clock
// runs on the steady clock at the sample rate and is pulled gently towards
// the readings; a reading far off (the device stalled or started late) sets
// it outright. Readings are taken only while the sink plays (the timer runs
// only then).
void QtSoundOutput::measure()
{
    if (!m_sink || !m_queue || m_sink->state() != QAudio::ActiveState)
        return;
    const qint64 held = std::max<qint64>(0, m_sink->bufferSize() - m_sink->bytesFree());
    const qint64 taken = m_queue->taken();
    std::lock_guard lock(m_mutex);
    m_taken = taken;
    if (m_paused)
        return;
    const auto now = std::chrono::steady_clock::now();
    const double measured = double(std::max<qint64>(0, taken - held));
    const double error = measured - heardBytes(now);
    if (std::abs(error) > kClockSnap * bytesPerSecond())
        m_heardBytes = measured;
    else
        m_heardBytes = heardBytes(now) + error * kClockPull;
    m_heardAt = now;
}

double QtSoundOutput::bytesPerSecond() const
{
    return double(m_format.sampleRate) * m_format.bytesPerFrame();
}

// Called with m_mutex held.
double QtSoundOutput::heardBytes(std::chrono::steady_clock::time_point now) const
{
    if (m_paused)
        return m_heardBytes;
    const std::chrono::duration<double> since = now - m_heardAt;
    return std::clamp(m_heardBytes + since.count() * bytesPerSecond(), 0.0,
                      std::max(m_heardBytes, double(m_taken)));
}

double QtSoundOutput::playedSeconds() const
{
    std::lock_guard lock(m_mutex);
    if (!m_open)
        return 0;
    return heardBytes(std::chrono::steady_clock::now()) / bytesPerSecond();
}

void QtSoundOutput::setPaused(bool paused)
{
    onSinkThread([this, paused] {
        if (!m_sink)
            return;
        {
            std::lock_guard lock(m_mutex);
            const auto now = std::chrono::steady_clock::now();
            m_heardBytes = heardBytes(now); // frozen while paused
            m_heardAt = now;
            m_paused = paused;
        }
        if (paused) {
            m_sink->suspend();
            if (m_timer)
                m_timer->stop();
        } else {
            m_sink->resume();
            measure();
            if (m_timer)
                m_timer->start();
        }
    });
}

void QtSoundOutput::setVolume(double volume)
{
    onSinkThread([this, volume] {
        if (m_sink)
            m_sink->setVolume(std::clamp(volume, 0.0, 1.0));
    });
}

} // namespace prevkit
