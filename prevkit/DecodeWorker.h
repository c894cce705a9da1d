// DecodeWorker: the player's worker thread. It owns the Decoder and the sound
// output, takes the GUI's requests (open, seek, play, pause, volume), paces
// pictures against the clock and reports back through a Listener, whose
// calls arrive on the worker thread. Requests never block: they are merged
// into the pending set (a newer seek replaces an older one, a new file drops
// everything before it) and a new file or stop also interrupts a read in
// progress on a slow disc.
//
// The clock is the sound heard when the title has sound and there is a
// device: pictures wait when early and are dropped when late. Without sound
// the pictures run on a steady clock.
#pragma once

#include "Decoder.h"
#include "PictureScaler.h"
#include "PreviewInfo.h"
#include "SoundOutput.h"
#include "prevkit.h"

#include <QSize>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace prevkit
{

class PREVKIT_EXPORT DecodeWorker
{
public:
    class Listener
    {
    public:
        virtual ~Listener() = default;
        // Each call carries the generation of the file it is about; a listener
        // drops calls about a file it no longer shows.
        virtual void fileOpened(int generation, const PreviewInfo &info) = 0;
        virtual void fileFailed(int generation) = 0;
        // `playing`: the frame comes from running playback and may be dropped
        // by a listener that is falling behind.
        virtual void frameReady(int generation, const DecodedFrame &frame, bool playing) = 0;
        virtual void playStateChanged(int generation, bool playing) = 0;
    };

    // `output` may be null: pictures only.
    DecodeWorker(Listener *listener, std::unique_ptr<SoundOutput> output);
    ~DecodeWorker(); // stop()s
    DecodeWorker(const DecodeWorker &) = delete;
    DecodeWorker &operator=(const DecodeWorker &) = delete;

    void start();
    // Opens `path` (closes the current file when empty). Replaces every
    // request not yet taken up.
    void open(int generation, const QString &path);
    void seek(double seconds);
    void setPlaying(bool playing);
    void setVolume(double volume); // 0 to 1
    // The size of the picture area in pixels: pictures come scaled to fit it.
    void setArea(const QSize &size);
    // Asks the thread to finish and joins it. Safe to call more than once.
    void stop();

private:
    using Clock = std::chrono::steady_clock;

    struct Requests {
        bool quit = false;
        std::optional<QString> open;
        int generation = 0;
        std::optional<double> seek;
        std::optional<bool> play;
        std::optional<double> volume;
        bool any() const { return quit || open || seek || play || volume; }
    };

    void run();
    void openFile(const QString &path);
    void seekTo(double seconds);
    void changePlaying(bool playing);
    void step();
    bool decode(DecodedFrame &frame);
    bool present(DecodedFrame &frame, bool playing);
    QSize targetSize(const DecodedFrame &frame) const;

    // The clock.
    double now();
    void resetClock(double position);

    // Sound.
    void openSound();
    void dropSound();
    void closeSound();
    void feedSound();

    Listener *m_listener;
    std::unique_ptr<SoundOutput> m_output;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    Requests m_requests; // guarded by m_mutex
    std::atomic<bool> m_abort{false};
    std::atomic<quint64> m_area{0}; // width << 32 | height

    // Worker-thread state.
    Decoder m_decoder;
    PictureScaler m_scaler;
    int m_generation = 0;
    bool m_playing = false;
    bool m_atEnd = false;
    std::optional<DecodedFrame> m_pending; // decoded, waiting for its time
    double m_shown = 0;                    // position of the last frame presented
    int m_droppedInARow = 0;
    Clock::time_point m_wakeAt;
    Clock::time_point m_clockStart;
    double m_clockPosition = 0;

    double m_volume = 1.0;
    bool m_soundOn = false; // the output is open for this title
    SoundFormat m_soundFormat;
    std::deque<SoundChunk> m_soundQueue; // decoded, waiting for room in the output (one stretch
                                         // and the silence before it)
    bool m_soundStarted = false;         // something was written since the last clear
    double m_soundBase = 0;              // title position of the first sample written
    double m_soundWritten = 0;           // seconds written since then
    double m_lastPlayed = -1;            // the output's count at m_playedChanged
    Clock::time_point m_playedChanged;
};

} // namespace prevkit
