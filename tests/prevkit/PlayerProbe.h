#pragma once

// A preview player inside a parent window, with its parts found the way a
// user sees them: by their object names.

#include "prevkit.h"

#include <QImage>
#include <QLabel>
#include <QSet>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QWidget>

class PlayerProbe
{
public:
    explicit PlayerProbe(const QRect &area = QRect(20, 30, 360, 300))
    {
        parent.resize(area.right() + 40, area.bottom() + 40);
        handle = prevkit_create(&parent, &area);
        parent.show();
    }
    ~PlayerProbe() { prevkit_release(handle); }
    PlayerProbe(const PlayerProbe &) = delete;
    PlayerProbe &operator=(const PlayerProbe &) = delete;

    QWidget *player() const { return parent.findChild<QWidget *>(QStringLiteral("prevkitPlayer")); }
    QWidget *view() const { return find<QWidget>("prevkitView"); }
    QToolButton *play() const { return find<QToolButton>("prevkitPlay"); }
    QSlider *slider() const { return find<QSlider>("prevkitPosition"); }
    QLabel *time() const { return find<QLabel>("prevkitTime"); }
    QToolButton *snapshot() const { return find<QToolButton>("prevkitSnapshot"); }

    QString message() const { return view()->property("message").toString(); }
    QString note() const { return view()->property("note").toString(); }
    bool hasFrame() const { return view()->property("hasFrame").toBool(); }
    bool playing() const { return play()->toolTip() == QStringLiteral("Pause"); }

    // What the picture area shows right now.
    QImage picture() const { return view()->grab().toImage(); }

    static int colourCount(const QImage &image)
    {
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                colours.insert(image.pixel(x, y));
        return int(colours.size());
    }

    QWidget parent;
    PrevkitHandle handle = nullptr;

private:
    template <typename T> T *find(const char *name) const
    {
        QWidget *p = player();
        return p ? p->findChild<T *>(QLatin1String(name)) : nullptr;
    }
};
