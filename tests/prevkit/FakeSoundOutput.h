#pragma once

// A sound output that plays nothing and records everything: what it was fed
// and when, and which samples were heard at which moment. It takes sound like
// a device does: from a small queue, at the sample rate, starting a little
// after the first write (a device's start-up delay), not while paused, and it
// loses what is queued on clear() and close().

#include "SoundOutput.h"

#include <QList>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

class FakeSoundOutput : public prevkit::SoundOutput
{
public:
    using Clock = std::chrono::steady_clock;

    struct Record {
        std::mutex mutex;
        bool device = true; // false: open() fails, as with no device
        int rate = 44100;   // the format the "device" takes
        int channels = 2;
        double startDelay = 0.05; // seconds from the first write to the first sample heard
        double queueSeconds = 0.2;

        int opens = 0;
        int closes = 0;
        bool open = false;
        bool paused = true;
        double volume = -1;
        QList<Clock::time_point> writes;          // when sound was fed
        std::vector<qint16> heard;                // channel 0 of every sample heard
        std::vector<Clock::time_point> heardWall; // when each of them was heard
        std::vector<qint16> queued;               // interleaved, fed and not yet heard
        Clock::time_point last;
        Clock::time_point startAt;
        bool started = false;
        double carry = 0; // fractions of a sample

        // Lets time run: moves what the elapsed time played from the queue
        // to what was heard.
        void advance()
        {
            const Clock::time_point now = Clock::now();
            if (!open || paused || !started || now < startAt) {
                last = now;
                return;
            }
            const Clock::time_point from = std::max(last, startAt);
            carry += std::chrono::duration<double>(now - from).count() * rate;
            last = now;
            size_t frames = size_t(carry);
            carry -= double(frames);
            frames = std::min(frames, queued.size() / size_t(channels));
            if (frames == 0) {
                carry = 0; // ran dry: the device idles
                return;
            }
            for (size_t i = 0; i < frames; ++i) {
                heardWall.push_back(from + std::chrono::duration_cast<Clock::duration>(
                                               std::chrono::duration<double>(double(i) / rate)));
                heard.push_back(queued[i * size_t(channels)]);
            }
            queued.erase(queued.begin(), queued.begin() + long(frames * size_t(channels)));
        }
        double queuedSeconds() const { return double(queued.size()) / channels / rate; }
    };

    explicit FakeSoundOutput(std::shared_ptr<Record> record) : m_record(std::move(record)) {}

    bool open(prevkit::SoundFormat *format) override
    {
        std::lock_guard lock(m_record->mutex);
        ++m_record->opens;
        if (!m_record->device)
            return false;
        format->sampleRate = m_record->rate;
        format->channels = m_record->channels;
        format->sample = prevkit::SoundFormat::Sample::Int16;
        m_record->open = true;
        m_record->paused = false;
        restart();
        return true;
    }
    void close() override
    {
        std::lock_guard lock(m_record->mutex);
        m_record->advance();
        ++m_record->closes;
        m_record->open = false;
        restart();
    }
    void clear() override
    {
        std::lock_guard lock(m_record->mutex);
        m_record->advance();
        restart();
    }
    qint64 bytesFree() const override
    {
        std::lock_guard lock(m_record->mutex);
        m_record->advance();
        const double room = m_record->queueSeconds - m_record->queuedSeconds();
        return std::max<qint64>(0, qint64(room * m_record->rate) * m_record->channels * 2);
    }
    void write(const char *data, qint64 bytes) override
    {
        std::lock_guard lock(m_record->mutex);
        m_record->advance();
        m_record->writes << Clock::now();
        const size_t samples = size_t(bytes) / 2;
        const size_t at = m_record->queued.size();
        m_record->queued.resize(at + samples);
        std::memcpy(m_record->queued.data() + at, data, samples * 2);
        if (!m_record->started) {
            m_record->started = true;
            m_record->startAt =
                Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                   std::chrono::duration<double>(m_record->startDelay));
            m_record->last = m_record->startAt;
        }
    }
    double playedSeconds() const override
    {
        std::lock_guard lock(m_record->mutex);
        m_record->advance();
        return double(m_record->heard.size() - m_heardAtRestart) / m_record->rate;
    }
    void setPaused(bool paused) override
    {
        std::lock_guard lock(m_record->mutex);
        m_record->advance();
        m_record->paused = paused;
        m_record->last = Clock::now();
    }
    void setVolume(double volume) override
    {
        std::lock_guard lock(m_record->mutex);
        m_record->volume = volume;
    }

private:
    // Called with the lock held: the queue is lost and the count of what was
    // heard starts again.
    void restart()
    {
        m_record->queued.clear();
        m_record->started = false;
        m_record->carry = 0;
        m_heardAtRestart = m_record->heard.size();
    }

    std::shared_ptr<Record> m_record;
    size_t m_heardAtRestart = 0;
};
