// FrameView: the picture area of the player. Draws the current frame scaled
// to fit with its display aspect kept (black bars around it), or a message in
// place of the picture, and can lay a short note over the picture.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

class FrameView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString message READ message)
    Q_PROPERTY(bool hasFrame READ hasFrame)
    Q_PROPERTY(QString note READ note)

public:
    explicit FrameView(QWidget *parent = nullptr);

    void setFrame(const QImage &image, double pixelAspect);
    void setMessage(const QString &message); // drops the picture
    void clear();
    void showNote(const QString &note); // fades after a few seconds

    QString message() const { return m_message; }
    bool hasFrame() const { return !m_image.isNull(); }
    QString note() const { return m_note; }
    // Where the picture is drawn, in this widget's coordinates.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    double m_pixelAspect = 1.0;
    QString m_message;
    QString m_note;
    QTimer m_noteTimer;
};
