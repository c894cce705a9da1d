// PictureScaler: turns decoded pictures into images of a given size, and the
// size sums shared by the drawing and the snapshots.
//
// A 4:2:0 picture (every DVD's) is scaled in its own planes first and then
// converted to RGB at the new size: both steps run on libswscale's vector
// code, several times faster than scaling straight into RGB, which it does
// a pixel at a time. Other pictures go in one pass. The images' buffers are
// reused once nobody holds them any more: a player turns out a picture after
// picture of the same size, and fresh memory for each costs its page faults.
#pragma once

#include "prevkit.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

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

    struct ImageBuffer;

private:
    bool scalePlanes(const AVFrame *picture, QSize size);
    QImage freeImage(QSize size);

    SwsContext *m_scale = nullptr;   // the picture's planes to `size`
    SwsContext *m_convert = nullptr; // planes to RGB, the size kept
    SwsContext *m_direct = nullptr;  // other pictures: to RGB at `size` in one pass
    // The scaled planes, kept from picture to picture.
    uint8_t *m_planes[4] = {};
    int m_strides[4] = {};
    QSize m_planesSize;
    int m_planesFormat = -1;
    // The buffers of the images handed out, kept to be written again.
    std::vector<std::shared_ptr<ImageBuffer>> m_buffers;
};

} // namespace prevkit
