#include "prevkit.h"

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

// First cut: the player's area only; decoding and controls follow.
struct PrevkitPlayer {
    QPointer<QWidget> widget;
};

PrevkitHandle prevkit_create(QWidget *parent, const QRect *area)
{
    if (!parent)
        return nullptr;
    auto *player = new PrevkitPlayer;
    player->widget = new QWidget(parent);
    player->widget->setObjectName(QStringLiteral("prevkitPlayer"));
    player->widget->setGeometry(area ? *area : parent->rect());
    player->widget->show();
    return player;
}

void prevkit_setSnapshotFolder(PrevkitHandle, const QString &) {}

void prevkit_setFile(PrevkitHandle, const QString &) {}

void prevkit_reset(PrevkitHandle) {}

void prevkit_release(PrevkitHandle player)
{
    if (!player)
        return;
    delete player->widget.data();
    delete player;
}
