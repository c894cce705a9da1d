#include "FrameView.h"

#include "PictureScaler.h"

#include <QPainter>
#include <QRegion>
#include <QResizeEvent>

namespace prevkit
{

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

void FrameView::setFrame(const QImage &image, double aspect)
{
    m_image = image;
    m_aspect = aspect > 0 ? aspect : double(image.width()) / std::max(1, image.height());
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
    if (m_image.isNull())
        return QRect();
    return fitRect(size(), m_aspect);
}

void FrameView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit resized(event->size());
}

void FrameView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_image.isNull()) {
        // Black bars around the picture; the picture covers the rest.
        const QRect target = pictureRect();
        for (const QRect &bar : QRegion(rect()).subtracted(QRegion(target)))
            painter.fillRect(bar, Qt::black);
        if (target.size() == m_image.size()) {
            painter.drawImage(target.topLeft(), m_image); // already to size: a plain copy
        } else {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(target, m_image);
        }
    } else {
        painter.fillRect(rect(), Qt::black);
    }
    if (m_image.isNull() && !m_message.isEmpty()) {
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

} // namespace prevkit
