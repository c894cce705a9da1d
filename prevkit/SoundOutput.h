// SoundOutput: where the preview's sound goes. The player's worker thread
// makes every call; an output that needs another thread of its own hands the
// calls over itself. Tests put an output of their own in place of the
// device's to see what the player feeds it and when.
#pragma once

#include "SoundFormat.h"
#include "prevkit.h"

#include <QtGlobal>

#include <functional>
#include <memory>

namespace prevkit
{

class PREVKIT_EXPORT SoundOutput
{
public:
    virtual ~SoundOutput();

    // Starts the device. `format` holds the format of the title's sound; the
    // output changes it to the format it takes. False when there is no device
    // to play on: the player then plays pictures alone.
    virtual bool open(SoundFormat *format) = 0;
    // Stops the sound at once and drops what was queued.
    virtual void close() = 0;
    // Drops what was queued, at once, and counts played sound from zero again.
    virtual void clear() = 0;
    // Bytes that write() takes now without blocking.
    virtual qint64 bytesFree() const = 0;
    virtual void write(const char *data, qint64 bytes) = 0;
    // Seconds of sound heard since open() or clear(): the master clock.
    virtual double playedSeconds() const = 0;
    // A paused output keeps what is queued and plays nothing.
    virtual void setPaused(bool paused) = 0;
    // 0 (silent) to 1 (full).
    virtual void setVolume(double volume) = 0;
};

using SoundOutputFactory = std::function<std::unique_ptr<SoundOutput>()>;

// The output every player made from now on gets: the default audio device
// through Qt Multimedia unless a factory is set. An empty factory restores
// the default.
PREVKIT_EXPORT void setSoundOutputFactory(SoundOutputFactory factory);
PREVKIT_EXPORT std::unique_ptr<SoundOutput> makeSoundOutput();

} // namespace prevkit
