#include "WindowPlacement.h"

#include "AppProfile.h"
#include "SettingValue.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace
{
const CSettingValue<bool> kMaximized("", "Maximized", false);
const CSettingValue<int> kLeft("", "Left", 0);
const CSettingValue<int> kTop("", "Top", 0);
const CSettingValue<int> kBottom("", "Bottom", 0);
const CSettingValue<int> kRight("", "Right", 0);
} // namespace

void CWindowPlacement::RestorePlacement(QWidget &wnd)
{
    const CAppProfile profile;
    // 64-bit arithmetic: Right + Left must not overflow for any stored values.
    qint64 left = kLeft.Get(profile);
    qint64 top = kTop.Get(profile);
    qint64 right = kRight.Get(profile);

    if (left < 0) {
        right += left;
        left = 0;
    }
    if (top < 0)
        top = 0;
    if (right == 0)
        return; // nothing usable stored: the window stays where it was placed

    // A corner on no screen (say, a monitor that has since been unplugged)
    // would put the window out of reach; it then stays where it was placed.
    const QPoint corner(static_cast<int>(left), static_cast<int>(top));
    if (!QGuiApplication::screenAt(corner))
        return;
    wnd.move(corner);
}

void CWindowPlacement::SavePlacement(const QWidget &wnd)
{
    CAppProfile profile;
    const bool maximized = wnd.isMaximized();
    kMaximized.Set(profile, maximized);
    if (maximized)
        return; // keep the edges of the last normal placement

    // Right and bottom are exclusive edges: left + width, top + height.
    const QRect frame = wnd.frameGeometry();
    kLeft.Set(profile, frame.x());
    kTop.Set(profile, frame.y());
    kBottom.Set(profile, frame.y() + frame.height());
    kRight.Set(profile, frame.x() + frame.width());
}
