#include "ResIcons.h"

#include "Resource.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

// The resources live in a static library: nothing references their
// registration code, so the linker would drop it without this explicit call.
static void InitIconResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(res);
        return true;
    }();
    (void)done;
}

QString IconResourcePath(int nId)
{
    switch (nId) {
    case IDR_MAINFRAME:
        return QStringLiteral(":/velko/icons/app.svg");
    case IDI_CLEAR:
        return QStringLiteral(":/velko/icons/clear.svg");
    case IDI_CONVERT:
        return QStringLiteral(":/velko/icons/convert.svg");
    case IDI_DISC:
        return QStringLiteral(":/velko/icons/disc.svg");
    case IDI_FOLDER:
        return QStringLiteral(":/velko/icons/folder.svg");
    default:
        return {};
    }
}

QPixmap LoadIconPixmap(int nId, int nSize)
{
    InitIconResources();
    const QString path = IconResourcePath(nId);
    if (path.isEmpty() || nSize <= 0)
        return {};
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    QImage image(nSize, nSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, nSize, nSize));
    painter.end();
    return QPixmap::fromImage(image);
}

QIcon LoadIconResource(int nId)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 96}) {
        const QPixmap pixmap = LoadIconPixmap(nId, size);
        if (pixmap.isNull())
            return {};
        icon.addPixmap(pixmap);
    }
    return icon;
}
