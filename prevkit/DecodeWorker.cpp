#include "DecodeWorker.h"

#include "TitleLayout.h"
#include "Tuning.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cmath>

Q_DECLARE_LOGGING_CATEGORY(lcDecoder)

namespace prevkit
{

DecodeWorker::DecodeWorker(Listener *listener, std::unique_ptr<SoundOutput> output)
    : m_listener(listener), m_output(std::move(output))
{
}

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

void DecodeWorker::setVolume(double volume)
{
    std::lock_guard lock(m_mutex);
    m_requests.volume = std::clamp(volume, 0.0, 1.0);
    m_wake.notify_one();
}

void DecodeWorker::setArea(const QSize &size)
{
    const quint64 w = quint64(std::max(0, size.width()));
    const quint64 h = quint64(std::max(0, size.height()));
    m_area = w << 32 | h;
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
            else
                m_wake.wait_until(lock, m_wakeAt, asked);
        }
        if (m_requests.quit)
            break;
        Requests requests = std::move(m_requests);
        m_requests = Requests();
        if (requests.open)
            m_abort = false; // taken up: reads may run again
        lock.unlock();

        if (requests.volume) {
            m_volume = *requests.volume;
            if (m_soundOn)
                m_output->setVolume(m_volume);
        }
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
    closeSound();
    m_decoder.close();
}

void DecodeWorker::openFile(const QString &path)
{
    m_playing = false;
    m_atEnd = false;
    m_pending.reset();
    m_shown = 0;
    closeSound();
    m_decoder.close();
    if (path.isEmpty())
        return;
    DecodedFrame first;
    if (!m_decoder.open(path, &m_abort, nullptr)) {
        m_decoder.close();
        if (!m_abort)
            m_listener->fileFailed(m_generation);
        return;
    }
    // A DVD title file: its length and times from the DVD's tables.
    const TitleLayout layout = titleLayout(path);
    if (layout.isValid() && !m_decoder.setLayout(layout))
        qCDebug(lcDecoder) << path << "does not match its DVD's tables";
    openSound();
    if (!decode(first) || !present(first, false)) {
        closeSound();
        m_decoder.close();
        if (!m_abort)
            m_listener->fileFailed(m_generation);
        return;
    }
    m_listener->fileOpened(m_generation,
                           {m_decoder.duration(), m_decoder.frameInterval(), m_soundOn});
    resetClock(first.position);
}

void DecodeWorker::seekTo(double seconds)
{
    m_pending.reset();
    m_atEnd = false;
    dropSound();
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
        std::optional<DecodedFrame> last;
        while (decode(frame))
            last = std::move(frame);
        if (last)
            present(*last, false);
    }
    dropSound();
    if (m_playing) {
        m_playing = false;
        m_listener->playStateChanged(m_generation, false);
    }
}

void DecodeWorker::changePlaying(bool playing)
{
    if (playing == m_playing)
        return;
    m_lastPlayed = -1;
    m_playedChanged = Clock::now();
    if (playing && m_atEnd)
        seekTo(0); // play again from the start
    m_playing = playing;
    if (playing) {
        resetClock(m_shown);
        m_droppedInARow = 0;
        m_wakeAt = Clock::now();
    }
    if (m_soundOn)
        m_output->setPaused(!playing);
    m_listener->playStateChanged(m_generation, playing);
}

// One move of running playback: top up the sound, decode the next picture,
// and show it, drop it or wait for it by the clock.
void DecodeWorker::step()
{
    m_wakeAt = Clock::now();
    feedSound();
    if (!m_pending) {
        DecodedFrame frame;
        if (!decode(frame)) {
            m_playing = false;
            m_atEnd = true;
            m_soundQueue.clear(); // what the output holds plays out
            m_listener->playStateChanged(m_generation, false);
            return;
        }
        m_pending = std::move(frame);
        feedSound(); // sound read on the way to the picture
    }
    const double position = m_pending->position;
    const double wait = position - now();
    if (wait > kMaxWait) {
        resetClock(position);
    } else if (wait > 0) {
        // Sleep until it is due, waking in time to feed the sound.
        const double sleep = m_soundOn ? std::min(wait, kFeedInterval) : wait;
        m_wakeAt +=
            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(sleep));
        return;
    } else if (-wait > kDropLate && m_soundOn && m_droppedInARow < kMaxDroppedInARow) {
        ++m_droppedInARow; // late against the sound: catch up
        m_pending.reset();
        return;
    } else if (-wait > kMaxLate && !m_soundOn) {
        resetClock(position);
    }
    m_droppedInARow = 0;
    present(*m_pending, true);
    m_pending.reset();
}

bool DecodeWorker::decode(DecodedFrame &frame)
{
    return m_decoder.nextPicture(frame) == Decoder::Status::Frame;
}

// Scales the picture to the size it is drawn at (only pictures that are shown
// are converted) and hands it over.
bool DecodeWorker::present(DecodedFrame &frame, bool playing)
{
    if (frame.image.isNull())
        frame.image = m_scaler.toImage(frame.picture.get(), targetSize(frame));
    if (frame.image.isNull())
        return false;
    m_shown = frame.position;
    m_listener->frameReady(m_generation, frame, playing);
    return true;
}

QSize DecodeWorker::targetSize(const DecodedFrame &frame) const
{
    const quint64 area = m_area.load();
    const QSize size(int(area >> 32), int(area & 0xffffffffu));
    const QRect fit = fitRect(size, frame.displayAspect());
    return fit.isValid() ? fit.size() : displaySize(frame.width, frame.height, frame.pixelAspect);
}

// The title position playing now: the sound heard when sound is playing
// (the steady clock kept in step with it), the steady clock otherwise.
double DecodeWorker::now()
{
    if (m_soundOn && m_soundStarted) {
        const double played = m_output->playedSeconds();
        const Clock::time_point wall = Clock::now();
        if (played != m_lastPlayed) {
            m_lastPlayed = played;
            m_playedChanged = wall;
        } else if (wall - m_playedChanged > std::chrono::duration<double>(kSoundStalled)) {
            // The device stopped taking sound: start it afresh, and let the
            // steady clock run meanwhile.
            m_playedChanged = wall;
            m_soundQueue.clear();
            m_soundStarted = false;
            m_soundWritten = 0;
            m_output->clear();
        }
        if (m_soundStarted && m_soundWritten - played > kSoundStarved) {
            const double position = m_soundBase + played;
            resetClock(position);
            return position;
        }
    }
    const std::chrono::duration<double> running = Clock::now() - m_clockStart;
    return m_clockPosition + running.count();
}

void DecodeWorker::resetClock(double position)
{
    m_clockStart = Clock::now();
    m_clockPosition = position;
}

void DecodeWorker::openSound()
{
    m_soundOn = false;
    if (!m_output || !m_decoder.hasSound())
        return;
    SoundFormat format = m_decoder.storedSoundFormat();
    if (!m_output->open(&format))
        return; // no device: pictures alone
    if (!format.isValid() || !m_decoder.setSoundFormat(format)) {
        m_output->close();
        return;
    }
    m_soundFormat = format;
    m_output->setPaused(true);
    m_output->setVolume(m_volume);
    m_soundOn = true;
}

// Silences the output and forgets all sound decoded: after a seek, a new
// file or a reset nothing of the old sound is heard.
void DecodeWorker::dropSound()
{
    m_soundQueue.clear();
    m_soundStarted = false;
    m_soundBase = 0;
    m_soundWritten = 0;
    if (m_soundOn)
        m_output->clear();
}

void DecodeWorker::closeSound()
{
    dropSound();
    if (m_soundOn)
        m_output->close();
    m_soundOn = false;
}

// Writes waiting sound into the output as far as it has room, keeping the
// sound's clock equal to title time: small gaps are filled with silence,
// overlaps cut, and a jump the decoder did not mend starts the clock anew.
void DecodeWorker::feedSound()
{
    if (!m_soundOn)
        return;
    const int frameBytes = m_soundFormat.bytesPerFrame();
    const double rate = m_soundFormat.sampleRate;
    for (;;) {
        if (m_soundQueue.empty()) {
            if (m_output->bytesFree() < frameBytes)
                return;
            SoundChunk next;
            if (m_decoder.nextSound(next) != Decoder::Status::Sound)
                return;
            m_soundQueue.push_back(std::move(next));
        }
        SoundChunk &chunk = m_soundQueue.front();
        if (!m_soundStarted) {
            m_soundStarted = true;
            m_soundBase = chunk.position;
            m_soundWritten = 0;
        }
        const double expected = m_soundBase + m_soundWritten;
        const double gap = chunk.position - expected;
        if (gap > kMaxSilenceFill || gap < -kMaxSilenceFill) {
            m_output->clear();
            m_soundBase = chunk.position;
            m_soundWritten = 0;
        } else if (gap > kSoundSlack) {
            SoundChunk silence;
            const qsizetype frames = qsizetype(std::lround(gap * rate));
            silence.samples = QByteArray(
                frames * frameBytes,
                m_soundFormat.sample == SoundFormat::Sample::UInt8 ? char(0x80) : char(0));
            silence.position = expected;
            silence.duration = frames / rate;
            m_soundQueue.push_front(std::move(silence));
            continue;
        } else if (gap < -kSoundSlack) {
            const qsizetype cut = qsizetype(std::lround(-gap * rate)) * frameBytes;
            if (cut >= chunk.samples.size()) {
                m_soundQueue.pop_front();
                continue;
            }
            chunk.samples.remove(0, cut);
            chunk.position = expected;
            chunk.duration = chunk.samples.size() / frameBytes / rate;
        }
        const qint64 room = m_output->bytesFree() / frameBytes * frameBytes;
        if (room <= 0)
            return;
        const qint64 bytes = std::min<qint64>(room, chunk.samples.size());
        m_output->write(chunk.samples.constData(), bytes);
        const double seconds = bytes / frameBytes / rate;
        m_soundWritten += seconds;
        if (bytes == chunk.samples.size()) {
            m_soundQueue.pop_front();
        } else {
            chunk.samples.remove(0, bytes);
            chunk.position += seconds;
            chunk.duration -= seconds;
        }
    }
}

} // namespace prevkit
