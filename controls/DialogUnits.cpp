#include "DialogUnits.h"

#include <QFontMetrics>

CDialogUnits::CDialogUnits(const QFont &font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nBaseWidth = (letters / 26 + 1) / 2; // average of 52 letters, rounded
    m_nBaseHeight = metrics.height();
}

// Scaled with rounding to the nearest pixel, halves away from zero.
static int Scale(int nValue, int nBase, int nDivisor)
{
    const long long product = static_cast<long long>(nValue) * nBase;
    const long long half = nDivisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / nDivisor
                                         : -((-product + half) / nDivisor));
}

int CDialogUnits::ToPixelsX(int nX) const
{
    return Scale(nX, m_nBaseWidth, 4);
}

int CDialogUnits::ToPixelsY(int nY) const
{
    return Scale(nY, m_nBaseHeight, 8);
}

QSize CDialogUnits::ToPixels(const QSize &size) const
{
    return QSize(ToPixelsX(size.width()), ToPixelsY(size.height()));
}

QRect CDialogUnits::ToPixels(const QRect &rect) const
{
    return QRect(ToPixelsX(rect.x()), ToPixelsY(rect.y()), ToPixelsX(rect.width()),
                 ToPixelsY(rect.height()));
}
