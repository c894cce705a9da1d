#include "FrameView.h"

#include <QPainter>

#include <cmath>

FrameView::FrameView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_noteTimer.setSingleShot(true);
    m_noteTimer.setInterval(3000);
    connect(&m_noteTimer, &QTimer::timeout, this, [this] {
        m_note.clear();
        update();
    });
}

void FrameView::setFrame(const QImage &image, double pixelAspect)
{
    m_image = image;
    m_pixelAspect = pixelAspect > 0 ? pixelAspect : 1.0;
    m_message.clear();
    update();
}

void FrameView::setMessage(const QString &message)
{
    m_image = QImage();
    m_message = message;
    update();
}

void FrameView::clear()
{
    m_image = QImage();
    m_message.clear();
    m_note.clear();
    m_noteTimer.stop();
    update();
}

void FrameView::showNote(const QString &note)
{
    m_note = note;
    m_noteTimer.start();
    update();
}

QRect FrameView::pictureRect() const
{
    if (m_image.isNull() || width() <= 0 || height() <= 0)
        return QRect();
    const double aspect = m_image.width() * m_pixelAspect / m_image.height();
    int w = width();
    int h = int(std::lround(w / aspect));
    if (h > height()) {
        h = height();
        w = int(std::lround(h * aspect));
    }
    return QRect((width() - w) / 2, (height() - h) / 2, w, h);
}

void FrameView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!m_image.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(pictureRect(), m_image);
    } else if (!m_message.isEmpty()) {
        painter.setPen(Qt::white);
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                         m_message);
    }
    if (!m_note.isEmpty()) {
        const QFontMetrics metrics = painter.fontMetrics();
        const QString text = metrics.elidedText(m_note, Qt::ElideMiddle, width() - 16);
        QRect box = metrics.boundingRect(text).adjusted(-6, -3, 6, 3);
        box.moveTopLeft(QPoint(4, 4));
        painter.fillRect(box, QColor(0, 0, 0, 170));
        painter.setPen(Qt::white);
        painter.drawText(box, Qt::AlignCenter, text);
    }
}
