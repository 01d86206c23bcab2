#include "Glyphs.h"

#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

// Outside any namespace: the macro declares the resource's initialiser where it is used.
static void initGlyphResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(glyphs);
        return true;
    }();
    Q_UNUSED(done)
}

namespace kelvo {

namespace {

QString resourcePath(const QString &name)
{
    initGlyphResources();
    return QStringLiteral(":/glyphs/") + name + QStringLiteral(".svg");
}

QPixmap renderedAt(const QString &name, int side)
{
    QSvgRenderer renderer(resourcePath(name));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(0, 0, side, side));
    return pixmap;
}

} // namespace

QSize glyphSize(const QString &name)
{
    const QSvgRenderer renderer(resourcePath(name));
    return renderer.isValid() ? renderer.defaultSize() : QSize();
}

QPixmap glyphPixmap(const QString &name, qreal devicePixelRatio)
{
    QSvgRenderer renderer(resourcePath(name));
    if (!renderer.isValid())
        return {};
    const QSize size = renderer.defaultSize();
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QIcon glyphIcon(const QString &name)
{
    QIcon icon;
    for (const qreal ratio : { 1.0, 1.25, 1.5, 2.0, 3.0 })
        icon.addPixmap(glyphPixmap(name, ratio));
    return icon;
}

QIcon programIcon()
{
    QIcon icon;
    for (const int side : { 16, 24 })
        icon.addPixmap(renderedAt(QStringLiteral("KELVO_SMALL"), side));
    for (const int side : { 32, 48, 64, 128, 256 })
        icon.addPixmap(renderedAt(QStringLiteral("KELVO"), side));
    return icon;
}

} // namespace kelvo
