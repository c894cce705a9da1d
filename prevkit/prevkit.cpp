#include "prevkit.h"

#include "PlayerWidget.h"

#include <QPointer>
#include <QRect>
#include <QString>

// The handle outlives nothing it points to: when the parent widget deletes the
// player first, the pointer turns null and every operation skips it.
struct PrevkitPlayer {
    QPointer<prevkit::PlayerWidget> widget;
};

PrevkitHandle prevkit_create(QWidget *parent, const QRect *area)
{
    if (!parent)
        return nullptr;
    auto *player = new PrevkitPlayer;
    player->widget = new prevkit::PlayerWidget(parent);
    player->widget->setGeometry(area ? *area : parent->rect());
    player->widget->show();
    return player;
}

void prevkit_setSnapshotFolder(PrevkitHandle player, const QString &folder)
{
    if (player && player->widget)
        player->widget->setSnapshotFolder(folder);
}

void prevkit_setFile(PrevkitHandle player, const QString &path)
{
    if (player && player->widget)
        player->widget->setFile(path);
}

void prevkit_reset(PrevkitHandle player)
{
    if (player && player->widget)
        player->widget->reset();
}

void prevkit_release(PrevkitHandle player)
{
    if (!player)
        return;
    delete player->widget.data();
    delete player;
}
