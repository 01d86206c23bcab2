#include "Glyphs.h"

#include <QIconEngine>
#include <QLocale>
#include <QPainter>
#include <QPixmapCache>
#include <QPolygonF>
#include <QSvgRenderer>

#include <memory>
#include <unordered_map>

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

// A passed chapter's glyph is the open one with a tick badge over its lower right, so that it is
// told apart by shape, not by colour alone.
const QString PassedGlyph = QStringLiteral("BUBBLE_PASSED");
const QString PassedBase = QStringLiteral("BUBBLE_RED");

QString resourcePath(const QString &name)
{
    initGlyphResources();
    return QStringLiteral(":/glyphs/") + (name == PassedGlyph ? PassedBase : name) + QStringLiteral(".svg");
}

// Drawn in the base glyph's own units (28 x 29), so it scales with it and stays sharp.
void drawPassedMark(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.setBrush(QColor(0x0d, 0x7d, 0x0d));
    painter.drawEllipse(QPointF(20.5, 20.5), 7, 7);
    QPen tick(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(tick);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygonF({ QPointF(17, 20.8), QPointF(19.6, 23.4), QPointF(24.2, 17.6) }));
}

// Each drawing is read once a run: every button of the menu asks for its glyph's size as it is
// laid out and for its picture as it is painted, an icon for its picture at five resolutions, and
// most buttons show the same few glyphs. GUI thread only, as pixmaps are.
QSvgRenderer &drawing(const QString &name)
{
    static std::unordered_map<QString, std::unique_ptr<QSvgRenderer>> drawings;
    const QString path = resourcePath(name);
    std::unique_ptr<QSvgRenderer> &known = drawings[path];
    if (!known)
        known = std::make_unique<QSvgRenderer>(path);
    return *known;
}

void addRenderedAt(QIcon &icon, const QString &name, std::initializer_list<int> sides)
{
    QSvgRenderer &renderer = drawing(name);
    for (const int side : sides) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter, QRectF(0, 0, side, side));
        painter.end();
        icon.addPixmap(pixmap);
    }
}

} // namespace

QSize glyphSize(const QString &name)
{
    const QSvgRenderer &renderer = drawing(name);
    return renderer.isValid() ? renderer.defaultSize() : QSize();
}

QPixmap glyphPixmap(const QString &name, qreal devicePixelRatio)
{
    const QString key = QStringLiteral("kelvo-glyph:") + name + QLatin1Char('@')
        + QString::number(devicePixelRatio, 'g', QLocale::FloatingPointShortest);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    QSvgRenderer &renderer = drawing(name);
    if (renderer.isValid()) {
        const QSize size = renderer.defaultSize();
        pixmap = QPixmap(size * devicePixelRatio);
        pixmap.setDevicePixelRatio(devicePixelRatio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
        if (name == PassedGlyph)
            drawPassedMark(painter);
    }
    QPixmapCache::insert(key, pixmap);
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
    addRenderedAt(icon, QStringLiteral("KELVO_SMALL"), { 16, 24 });
    addRenderedAt(icon, QStringLiteral("KELVO"), { 32, 48, 64, 128, 256 });
    return icon;
}

} // namespace kelvo
