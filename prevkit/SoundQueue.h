// SoundQueue: the bytes waiting for the audio sink, which reads them from
// its own thread (QAudioSink's pull mode). Thread-safe; never blocks.
#pragma once

#include <QByteArray>
#include <QIODevice>

#include <mutex>

namespace prevkit
{

class SoundQueue : public QIODevice
{
public:
    explicit SoundQueue(QObject *parent = nullptr);

    void append(const char *data, qint64 bytes);
    void clear();           // drops what waits and the count of bytes taken
    qint64 waiting() const; // bytes not yet taken by the sink
    qint64 taken() const;   // bytes the sink took since the last clear

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    mutable std::mutex m_mutex;
    QByteArray m_bytes;
    qint64 m_read = 0; // of m_bytes, already taken
    qint64 m_taken = 0;
};

} // namespace prevkit
