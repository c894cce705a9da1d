#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Dialog units: the coordinates of the window resources. One horizontal unit
// is a quarter of the dialog font's average character width (measured over
// the 52 Latin letters), one vertical unit an eighth of its height.
class CDialogUnits
{
public:
    explicit CDialogUnits(const QFont &font);

    int BaseWidth() const { return m_nBaseWidth; }
    int BaseHeight() const { return m_nBaseHeight; }

    int ToPixelsX(int nX) const;
    int ToPixelsY(int nY) const;
    QSize ToPixels(const QSize &size) const;
    QRect ToPixels(const QRect &rect) const;

private:
    int m_nBaseWidth = 0;
    int m_nBaseHeight = 0;
};
