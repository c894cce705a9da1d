// DecodeWorker: the player's worker thread. It owns the Decoder, takes the
// GUI's requests (open, seek, play, pause), paces playback against a steady
// clock and reports back through a Listener, whose calls arrive on the worker
// thread. Requests never block: they are merged into the pending set (a newer
// seek replaces an older one, a new file drops everything before it) and a
// new file or stop also interrupts a read in progress on a slow disc.
#pragma once

#include "Decoder.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

struct MediaInfo {
    double duration = -1; // seconds; negative when unknown
    double frameInterval = 0.04;
};

class DecodeWorker
{
public:
    class Listener
    {
    public:
        virtual ~Listener() = default;
        // Each call carries the generation of the file it is about; a listener
        // drops calls about a file it no longer shows.
        virtual void fileOpened(int generation, const MediaInfo &info) = 0;
        virtual void fileFailed(int generation) = 0;
        // `playing`: the frame comes from running playback and may be dropped
        // by a listener that is falling behind.
        virtual void frameReady(int generation, const DecodedFrame &frame, bool playing) = 0;
        virtual void playStateChanged(int generation, bool playing) = 0;
    };

    explicit DecodeWorker(Listener *listener);
    ~DecodeWorker(); // stop()s
    DecodeWorker(const DecodeWorker &) = delete;
    DecodeWorker &operator=(const DecodeWorker &) = delete;

    void start();
    // Opens `path` (closes the current file when empty). Replaces every
    // request not yet taken up.
    void open(int generation, const QString &path);
    void seek(double seconds);
    void setPlaying(bool playing);
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
        bool any() const { return quit || open || seek || play; }
    };

    void run();
    void openFile(const QString &path);
    void seekTo(double seconds);
    void changePlaying(bool playing);
    void step();
    bool decode(DecodedFrame &frame);
    void present(const DecodedFrame &frame, bool playing);
    void resetClock(double position);
    Clock::time_point dueTime(double position) const;

    Listener *m_listener;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    Requests m_requests; // guarded by m_mutex
    std::atomic<bool> m_abort{false};

    // Worker-thread state.
    Decoder m_decoder;
    int m_generation = 0;
    bool m_playing = false;
    bool m_atEnd = false;
    std::optional<DecodedFrame> m_pending; // decoded, waiting for its time
    double m_shown = 0;                    // position of the last frame presented
    Clock::time_point m_clockStart;
    double m_clockPosition = 0;
};
