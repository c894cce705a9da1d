// QtSoundOutput: the sound output on the default audio device, through Qt
// Multimedia's QAudioSink. The sink lives on a thread of its own and pulls
// the sound from a small queue that write() fills; how much has been heard
// is worked out from what the sink took and what it still holds.
#pragma once

#include "SoundOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QThread>

#include <chrono>
#include <functional>
#include <mutex>

class QAudioSink;
class QTimer;

namespace prevkit
{

class SoundQueue;

class QtSoundOutput : public SoundOutput
{
public:
    QtSoundOutput();
    ~QtSoundOutput() override;

    bool open(SoundFormat *format) override;
    void close() override;
    void clear() override;
    qint64 bytesFree() const override;
    void write(const char *data, qint64 bytes) override;
    double playedSeconds() const override;
    void setPaused(bool paused) override;
    void setVolume(double volume) override;

private:
    void onSinkThread(const std::function<void()> &call);
    bool startSink(bool suspended);
    void stopSink();
    void measure();
    double bytesPerSecond() const;
    double heardBytes(std::chrono::steady_clock::time_point now) const;

    QThread m_thread;
    QObject *m_home = nullptr; // lives on m_thread
    QAudioSink *m_sink = nullptr;
    SoundQueue *m_queue = nullptr;
    QTimer *m_timer = nullptr;
    QAudioDevice m_device;
    QAudioFormat m_deviceFormat;

    mutable std::mutex m_mutex; // guards what follows
    SoundFormat m_format;
    bool m_open = false;
    bool m_paused = true;
    qint64 m_capacity = 0;   // bytes the queue takes
    qint64 m_taken = 0;      // bytes the sink took since the last clear
    double m_heardBytes = 0; // heard at m_heardAt
    std::chrono::steady_clock::time_point m_heardAt;
};

} // namespace prevkit
