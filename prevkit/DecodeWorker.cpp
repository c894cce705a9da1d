#include "DecodeWorker.h"

#include <algorithm>

namespace
{

// Playback more than this late skips ahead instead of racing to catch up.
constexpr double kMaxLate = 0.3;
// A frame due further ahead than this (a gap in the timestamps) is shown at
// once rather than after a long still picture.
constexpr double kMaxWait = 1.0;
// How far back a seek past the last frame looks for that frame.
constexpr double kLastFrameSearch = 3.0;

} // namespace

DecodeWorker::DecodeWorker(Listener *listener) : m_listener(listener) {}

DecodeWorker::~DecodeWorker()
{
    stop();
}

void DecodeWorker::start()
{
    std::lock_guard lock(m_mutex);
    if (!m_thread.joinable() && !m_requests.quit)
        m_thread = std::thread([this] { run(); });
}

void DecodeWorker::open(int generation, const QString &path)
{
    std::lock_guard lock(m_mutex);
    m_requests.open = path;
    m_requests.generation = generation;
    m_requests.seek.reset();
    m_requests.play.reset();
    m_abort = true;
    m_wake.notify_one();
}

void DecodeWorker::seek(double seconds)
{
    std::lock_guard lock(m_mutex);
    m_requests.seek = seconds;
    m_wake.notify_one();
}

void DecodeWorker::setPlaying(bool playing)
{
    std::lock_guard lock(m_mutex);
    m_requests.play = playing;
    m_wake.notify_one();
}

void DecodeWorker::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_requests.quit = true;
        m_abort = true;
        m_wake.notify_one();
    }
    if (m_thread.joinable())
        m_thread.join();
}

void DecodeWorker::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        const auto asked = [this] { return m_requests.any(); };
        if (!asked()) {
            if (!m_playing)
                m_wake.wait(lock, asked);
            else if (m_pending)
                m_wake.wait_until(lock, dueTime(m_pending->position), asked);
        }
        if (m_requests.quit)
            break;
        Requests requests = std::move(m_requests);
        m_requests = Requests();
        if (requests.open)
            m_abort = false; // taken up: reads may run again
        lock.unlock();

        if (requests.open) {
            m_generation = requests.generation;
            openFile(*requests.open);
        }
        if (requests.seek && m_decoder.isOpen())
            seekTo(*requests.seek);
        if (requests.play && m_decoder.isOpen())
            changePlaying(*requests.play);
        if (m_playing)
            step();

        lock.lock();
    }
    lock.unlock();
    m_decoder.close();
}

void DecodeWorker::openFile(const QString &path)
{
    m_playing = false;
    m_atEnd = false;
    m_pending.reset();
    m_shown = 0;
    m_decoder.close();
    if (path.isEmpty())
        return;
    DecodedFrame first;
    if (!m_decoder.open(path, &m_abort, nullptr) || !decode(first)) {
        m_decoder.close();
        if (!m_abort)
            m_listener->fileFailed(m_generation);
        return;
    }
    m_listener->fileOpened(m_generation, {m_decoder.duration(), m_decoder.frameInterval()});
    present(first, false);
}

void DecodeWorker::seekTo(double seconds)
{
    m_pending.reset();
    m_atEnd = false;
    DecodedFrame frame;
    if (!m_decoder.seek(seconds))
        return;
    if (decode(frame)) {
        present(frame, false);
        resetClock(frame.position);
        return;
    }
    if (m_abort)
        return;
    // Nothing at or after the target: show the last frame there is.
    m_atEnd = true;
    if (m_decoder.seek(std::max(0.0, seconds - kLastFrameSearch))) {
        DecodedFrame last;
        bool found = false;
        while (decode(frame)) {
            last = std::move(frame);
            found = true;
        }
        if (found)
            present(last, false);
    }
    if (m_playing) {
        m_playing = false;
        m_listener->playStateChanged(m_generation, false);
    }
}

void DecodeWorker::changePlaying(bool playing)
{
    if (playing == m_playing)
        return;
    if (playing && m_atEnd)
        seekTo(0); // play again from the start
    m_playing = playing;
    if (playing)
        resetClock(m_shown);
    m_listener->playStateChanged(m_generation, playing);
}

// One move of running playback: decode the next frame, or show the one
// waiting once its time has come.
void DecodeWorker::step()
{
    if (!m_pending) {
        DecodedFrame frame;
        if (!decode(frame)) {
            m_playing = false;
            m_atEnd = true;
            m_listener->playStateChanged(m_generation, false);
            return;
        }
        m_pending = std::move(frame);
    }
    const double position = m_pending->position;
    const double wait = std::chrono::duration<double>(dueTime(position) - Clock::now()).count();
    if (wait > kMaxWait)
        resetClock(position);
    else if (wait > 0)
        return; // run() sleeps until it is due
    else if (-wait > kMaxLate)
        resetClock(position);
    present(*m_pending, true);
    m_pending.reset();
}

bool DecodeWorker::decode(DecodedFrame &frame)
{
    for (;;) {
        switch (m_decoder.next(frame)) {
        case Decoder::Status::Frame:
            if (!frame.image.isNull())
                return true;
            break; // a frame that could not be converted: take the next one
        case Decoder::Status::End:
        case Decoder::Status::Failed:
            return false;
        }
    }
}

void DecodeWorker::present(const DecodedFrame &frame, bool playing)
{
    m_shown = frame.position;
    m_listener->frameReady(m_generation, frame, playing);
}

void DecodeWorker::resetClock(double position)
{
    m_clockStart = Clock::now();
    m_clockPosition = position;
}

DecodeWorker::Clock::time_point DecodeWorker::dueTime(double position) const
{
    const std::chrono::duration<double> ahead(position - m_clockPosition);
    return m_clockStart + std::chrono::duration_cast<Clock::duration>(ahead);
}
