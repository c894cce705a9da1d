#include "PictureScaler.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include <cmath>

namespace prevkit
{

QSize displaySize(int width, int height, double pixelAspect)
{
    if (width <= 0 || height <= 0)
        return QSize();
    if (!(pixelAspect > 0))
        pixelAspect = 1.0;
    return QSize(std::max(1, int(std::lround(width * pixelAspect))), height);
}

QRect fitRect(const QSize &area, double aspect)
{
    if (area.width() <= 0 || area.height() <= 0 || !(aspect > 0))
        return QRect();
    int w = area.width();
    int h = int(std::lround(w / aspect));
    if (h > area.height()) {
        h = area.height();
        w = int(std::lround(h * aspect));
    }
    w = std::max(1, w);
    h = std::max(1, h);
    return QRect((area.width() - w) / 2, (area.height() - h) / 2, w, h);
}

namespace
{

// The vector code converting to RGB writes whole groups of 16 pixels, past
// the end of a row of another width: rows are padded to that many.
constexpr int kRowPixels = 16;

// Planar 8-bit 4:2:0, limited or full range: scaled in its planes.
bool planar420(int format)
{
    return format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P;
}

// The stride of an RGB32 image of `width` whose rows hold whole groups of
// kRowPixels.
qsizetype paddedStride(int width)
{
    return qsizetype((width + kRowPixels - 1) / kRowPixels) * kRowPixels * 4;
}

// The picture's colours as stored; RGB comes out full range. Scaling the
// planes of a picture keeps its range as it is.
void setColours(SwsContext *context, const AVFrame *picture, bool toRgb)
{
    const int space =
        picture->colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : int(picture->colorspace);
    const int fullRange =
        picture->color_range == AVCOL_RANGE_JPEG || picture->format == AV_PIX_FMT_YUVJ420P ? 1 : 0;
    sws_setColorspaceDetails(context, sws_getCoefficients(space), fullRange,
                             sws_getCoefficients(toRgb ? SWS_CS_DEFAULT : space),
                             toRgb ? 1 : fullRange, 0, 1 << 16, 1 << 16);
}

// Shrinking averages the source pixels each target pixel covers, which is
// both the sharper and the cheaper filter there; stretching is bilinear, as
// a player does. The same filter for a snapshot keeps it looking like the
// picture on show.
int scaleFilter(const AVFrame *picture, QSize size)
{
    return size.width() <= picture->width && size.height() <= picture->height ? SWS_AREA
                                                                              : SWS_BILINEAR;
}

} // namespace

PictureScaler::~PictureScaler()
{
    sws_freeContext(m_scale);
    sws_freeContext(m_convert);
    sws_freeContext(m_direct);
    av_freep(&m_planes[0]);
}

// The memory of one image, written again once no image shows it.
struct PictureScaler::ImageBuffer {
    uchar *bits = nullptr;
    QSize size;
    std::atomic<bool> held = false;
    ~ImageBuffer() { av_free(bits); }
};

namespace
{

using BufferOwner = std::shared_ptr<PictureScaler::ImageBuffer>;

// The last image on a buffer has gone: the buffer is free again, or freed
// when the scaler no longer keeps it either.
void releaseBuffer(void *owner)
{
    auto *buffer = static_cast<BufferOwner *>(owner);
    (*buffer)->held.store(false, std::memory_order_release);
    delete buffer;
}

} // namespace

// An image of `size` on a buffer no image shows now, reused when there is
// one. Free buffers of another size go: the drawing area was resized. Each
// image is a new one to Qt, on old memory.
QImage PictureScaler::freeImage(QSize size)
{
    // Enough for the pictures queued and the one on show; beyond that a new
    // buffer lives as long as its image.
    constexpr size_t kMaxBuffers = 6;
    BufferOwner buffer;
    for (auto it = m_buffers.begin(); it != m_buffers.end();) {
        if ((*it)->held.load(std::memory_order_acquire)) {
            ++it;
        } else if ((*it)->size == size) {
            buffer = *it;
            break;
        } else {
            it = m_buffers.erase(it);
        }
    }
    const qsizetype stride = paddedStride(size.width());
    if (!buffer) {
        buffer = std::make_shared<ImageBuffer>();
        buffer->bits = static_cast<uchar *>(av_malloc(size_t(stride) * size_t(size.height())));
        if (!buffer->bits)
            return QImage();
        buffer->size = size;
        if (m_buffers.size() < kMaxBuffers)
            m_buffers.push_back(buffer);
    }
    buffer->held.store(true, std::memory_order_relaxed);
    return QImage(buffer->bits, size.width(), size.height(), stride, QImage::Format_RGB32,
                  releaseBuffer, new BufferOwner(buffer));
}

bool PictureScaler::scalePlanes(const AVFrame *picture, QSize size)
{
    const auto format = static_cast<AVPixelFormat>(picture->format);
    if (size != m_planesSize || format != m_planesFormat) {
        av_freep(&m_planes[0]);
        m_planesSize = QSize();
        // Rows aligned for the vector code that reads them.
        if (av_image_alloc(m_planes, m_strides, size.width(), size.height(), format, 64) < 0)
            return false;
        m_planesSize = size;
        m_planesFormat = format;
    }
    m_scale = sws_getCachedContext(m_scale, picture->width, picture->height, format, size.width(),
                                   size.height(), format, scaleFilter(picture, size), nullptr,
                                   nullptr, nullptr);
    if (!m_scale)
        return false;
    setColours(m_scale, picture, false);
    sws_scale(m_scale, picture->data, picture->linesize, 0, picture->height, m_planes, m_strides);
    return true;
}

QImage PictureScaler::toImage(const AVFrame *picture, QSize size)
{
    if (!picture || picture->width <= 0 || picture->height <= 0)
        return QImage();
    if (size.isEmpty())
        size = QSize(picture->width, picture->height);
    QImage image = freeImage(size);
    if (image.isNull())
        return QImage();
    uint8_t *planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {int(image.bytesPerLine()), 0, 0, 0};
    const auto format = static_cast<AVPixelFormat>(picture->format);

    if (planar420(format)) {
        // At the stored size the picture's own planes are converted.
        const bool scaled = size != QSize(picture->width, picture->height);
        if (scaled && !scalePlanes(picture, size))
            return QImage();
        m_convert = sws_getCachedContext(m_convert, size.width(), size.height(), format,
                                         size.width(), size.height(), AV_PIX_FMT_RGB32,
                                         SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!m_convert)
            return QImage();
        setColours(m_convert, picture, true);
        if (scaled)
            sws_scale(m_convert, m_planes, m_strides, 0, size.height(), planes, strides);
        else
            sws_scale(m_convert, picture->data, picture->linesize, 0, size.height(), planes,
                      strides);
        return image;
    }

    m_direct = sws_getCachedContext(m_direct, picture->width, picture->height, format, size.width(),
                                    size.height(), AV_PIX_FMT_RGB32, scaleFilter(picture, size),
                                    nullptr, nullptr, nullptr);
    if (!m_direct)
        return QImage();
    setColours(m_direct, picture, true);
    sws_scale(m_direct, picture->data, picture->linesize, 0, picture->height, planes, strides);
    return image;
}

} // namespace prevkit
