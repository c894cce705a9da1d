#include "TitleIo.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <cstdio>

namespace prevkit
{

namespace
{

// The demuxer's read buffer: 16 sectors.
constexpr int kBufferSize = 32768;

} // namespace

std::unique_ptr<TitleIo> TitleIo::open(std::unique_ptr<TitleReader> reader,
                                       const std::atomic<bool> *abort)
{
    if (!reader)
        return nullptr;
    std::unique_ptr<TitleIo> io(new TitleIo);
    io->m_reader = std::move(reader);
    io->m_abort = abort;
    auto *buffer = static_cast<unsigned char *>(av_malloc(kBufferSize));
    if (!buffer)
        return nullptr;
    io->m_context =
        avio_alloc_context(buffer, kBufferSize, 0, io.get(), readPacket, nullptr, seekTo);
    if (!io->m_context) {
        av_free(buffer);
        return nullptr;
    }
    return io;
}

TitleIo::~TitleIo()
{
    if (m_context) {
        av_freep(&m_context->buffer);
        avio_context_free(&m_context);
    }
}

int TitleIo::readPacket(void *opaque, std::uint8_t *buffer, int size)
{
    auto *io = static_cast<TitleIo *>(opaque);
    if (io->m_abort && io->m_abort->load())
        return AVERROR_EXIT;
    const std::int64_t got = io->m_reader->read(io->m_position, buffer, size);
    if (got == 0)
        return AVERROR_EOF;
    if (got < 0)
        return AVERROR(EIO);
    io->m_position += got;
    return int(got);
}

std::int64_t TitleIo::seekTo(void *opaque, std::int64_t offset, int whence)
{
    auto *io = static_cast<TitleIo *>(opaque);
    const std::int64_t size = io->m_reader->size();
    std::int64_t target = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return size;
    case SEEK_SET:
        target = offset;
        break;
    case SEEK_CUR:
        target = io->m_position + offset;
        break;
    case SEEK_END:
        target = size + offset;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (target < 0)
        return AVERROR(EINVAL);
    io->m_position = target;
    return target;
}

} // namespace prevkit
