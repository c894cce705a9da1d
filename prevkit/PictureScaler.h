// PictureScaler: turns decoded pictures into images of a given size in one
// pass of libswscale (colour conversion and scaling together), and the size
// sums shared by the drawing and the snapshots.
#pragma once

#include "prevkit.h"

#include <QImage>
#include <QRect>
#include <QSize>

struct AVFrame;
struct SwsContext;

namespace prevkit
{

// The size a picture of `width` x `height` stored pixels shows at: the height
// kept, the width stretched by the pixel aspect (720x576 at 16:9 is 1024x576).
PREVKIT_EXPORT QSize displaySize(int width, int height, double pixelAspect);

// The largest rectangle of `aspect` (width over height) centred in `area`.
PREVKIT_EXPORT QRect fitRect(const QSize &area, double aspect);

class PREVKIT_EXPORT PictureScaler
{
public:
    PictureScaler() = default;
    ~PictureScaler();
    PictureScaler(const PictureScaler &) = delete;
    PictureScaler &operator=(const PictureScaler &) = delete;

    // `picture` as an RGB32 image of `size` (its stored size when empty). A
    // null image when the picture cannot be converted.
    QImage toImage(const AVFrame *picture, QSize size);

private:
    SwsContext *m_context = nullptr;
};

} // namespace prevkit
