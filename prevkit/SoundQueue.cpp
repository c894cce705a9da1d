#include "SoundQueue.h"

#include <algorithm>
#include <cstring>

namespace prevkit
{

SoundQueue::SoundQueue(QObject *parent) : QIODevice(parent) {}

void SoundQueue::append(const char *data, qint64 bytes)
{
    std::lock_guard lock(m_mutex);
    if (m_read > 0 && m_read * 2 >= m_bytes.size()) { // reuse the front
        m_bytes.remove(0, m_read);
        m_read = 0;
    }
    m_bytes.append(data, bytes);
}

void SoundQueue::clear()
{
    std::lock_guard lock(m_mutex);
    m_bytes.clear();
    m_read = 0;
    m_taken = 0;
}

qint64 SoundQueue::waiting() const
{
    std::lock_guard lock(m_mutex);
    return m_bytes.size() - m_read;
}

qint64 SoundQueue::taken() const
{
    std::lock_guard lock(m_mutex);
    return m_taken;
}

qint64 SoundQueue::bytesAvailable() const
{
    return waiting() + QIODevice::bytesAvailable();
}

qint64 SoundQueue::readData(char *data, qint64 maxSize)
{
    std::lock_guard lock(m_mutex);
    const qint64 bytes = std::min<qint64>(maxSize, m_bytes.size() - m_read);
    if (bytes <= 0)
        return 0; // running dry: the sink waits and asks again
    std::memcpy(data, m_bytes.constData() + m_read, size_t(bytes));
    m_read += bytes;
    m_taken += bytes;
    return bytes;
}

qint64 SoundQueue::writeData(const char *, qint64)
{
    return -1; // filled through append()
}

} // namespace prevkit
