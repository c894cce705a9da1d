// What the decoder hands out: pictures and stretches of sound, each with its
// place in the title.
#pragma once

#include <QByteArray>
#include <QImage>

#include <memory>

struct AVFrame;

namespace prevkit
{

// One decoded picture. The worker adds the image to draw at the size it is
// drawn at; the decoded picture itself is kept for a full-size snapshot.
struct DecodedFrame {
    std::shared_ptr<const AVFrame> picture; // the stored size, as decoded
    QImage image;                           // RGB32, the size drawn at
    double position = 0;                    // seconds from the start of the title
    double pixelAspect = 1.0;               // width of one pixel over its height
    int width = 0;                          // stored size
    int height = 0;
    double displayAspect() const { return height > 0 ? width * pixelAspect / height : 0; }
};

// Decoded sound, already in the output's format.
struct SoundChunk {
    QByteArray samples;
    double position = 0; // seconds from the start of the title, of the first sample
    double duration = 0; // seconds
};

} // namespace prevkit
