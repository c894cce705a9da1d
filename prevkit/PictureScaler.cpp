#include "PictureScaler.h"

extern "C" {
#include <libavutil/frame.h>
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

PictureScaler::~PictureScaler()
{
    sws_freeContext(m_context);
}

QImage PictureScaler::toImage(const AVFrame *picture, QSize size)
{
    if (!picture || picture->width <= 0 || picture->height <= 0)
        return QImage();
    if (size.isEmpty())
        size = QSize(picture->width, picture->height);
    const auto format = static_cast<AVPixelFormat>(picture->format);
    // Bilinear when shrinking or stretching a little, as a player does; the
    // same filter for a snapshot keeps it looking like the picture on show.
    m_context = sws_getCachedContext(m_context, picture->width, picture->height, format,
                                     size.width(), size.height(), AV_PIX_FMT_RGB32, SWS_BILINEAR,
                                     nullptr, nullptr, nullptr);
    QImage image(size, QImage::Format_RGB32);
    if (!m_context || image.isNull())
        return QImage();
    const int space =
        picture->colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : int(picture->colorspace);
    const int fullRange = picture->color_range == AVCOL_RANGE_JPEG ? 1 : 0;
    sws_setColorspaceDetails(m_context, sws_getCoefficients(space), fullRange,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    uint8_t *planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {int(image.bytesPerLine()), 0, 0, 0};
    sws_scale(m_context, picture->data, picture->linesize, 0, picture->height, planes, strides);
    return image;
}

} // namespace prevkit
