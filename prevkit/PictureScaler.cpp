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

// An RGB32 image of `size` whose rows hold whole groups of kRowPixels.
QImage paddedImage(QSize size)
{
    const qsizetype stride =
        qsizetype((size.width() + kRowPixels - 1) / kRowPixels) * kRowPixels * 4;
    auto *bits = static_cast<uchar *>(av_malloc(size_t(stride) * size_t(size.height())));
    if (!bits)
        return QImage();
    return QImage(bits, size.width(), size.height(), stride, QImage::Format_RGB32, av_free, bits);
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

} // namespace

PictureScaler::~PictureScaler()
{
    sws_freeContext(m_scale);
    sws_freeContext(m_convert);
    sws_freeContext(m_direct);
    av_freep(&m_planes[0]);
}

// Bilinear when shrinking or stretching a little, as a player does; the same
// filter for a snapshot keeps it looking like the picture on show.
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
                                   size.height(), format, SWS_BILINEAR, nullptr, nullptr, nullptr);
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
    QImage image = paddedImage(size);
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
                                    size.height(), AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr,
                                    nullptr);
    if (!m_direct)
        return QImage();
    setColours(m_direct, picture, true);
    sws_scale(m_direct, picture->data, picture->linesize, 0, picture->height, planes, strides);
    return image;
}

} // namespace prevkit
