// FrameView: the picture area of the player. Draws the current picture
// centred with its display aspect kept (black bars around it), or a message
// in place of the picture, and can lay a short note over the picture. The
// picture comes already scaled to the size it is drawn at; one of another
// size (the area was just resized) is stretched until a new one comes.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

namespace prevkit
{

class FrameView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString message READ message)
    Q_PROPERTY(bool hasFrame READ hasFrame)
    Q_PROPERTY(QString note READ note)

public:
    explicit FrameView(QWidget *parent = nullptr);

    // `aspect`: the picture's display width over its height.
    void setFrame(const QImage &image, double aspect);
    void setMessage(const QString &message); // drops the picture
    void clear();
    void showNote(const QString &note); // fades after a few seconds

    QString message() const { return m_message; }
    bool hasFrame() const { return !m_image.isNull(); }
    QString note() const { return m_note; }
    // Where the picture is drawn, in this widget's coordinates.
    QRect pictureRect() const;

signals:
    void resized(const QSize &size);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QImage m_image;
    double m_aspect = 4.0 / 3;
    QString m_message;
    QString m_note;
    QTimer m_noteTimer;
};

} // namespace prevkit
