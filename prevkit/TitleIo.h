// TitleIo: a reading context of FFmpeg's over a TitleReader, so that the
// demuxer reads one DVD title as one seekable stream.
#pragma once

#include "TitleReader.h"

#include <atomic>
#include <cstdint>
#include <memory>

struct AVIOContext;

namespace prevkit
{

class TitleIo
{
public:
    // A context reading `reader`; every read gives up once `abort` turns
    // true. nullptr when FFmpeg has no memory for it.
    static std::unique_ptr<TitleIo> open(std::unique_ptr<TitleReader> reader,
                                         const std::atomic<bool> *abort);
    ~TitleIo();
    TitleIo(const TitleIo &) = delete;
    TitleIo &operator=(const TitleIo &) = delete;

    AVIOContext *context() const { return m_context; }
    const TitleReader &reader() const { return *m_reader; }

private:
    TitleIo() = default;
    static int readPacket(void *opaque, std::uint8_t *buffer, int size);
    static std::int64_t seekTo(void *opaque, std::int64_t offset, int whence);

    std::unique_ptr<TitleReader> m_reader;
    const std::atomic<bool> *m_abort = nullptr;
    AVIOContext *m_context = nullptr;
    std::int64_t m_position = 0;
};

} // namespace prevkit
