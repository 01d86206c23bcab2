#include "GdiPlayer.h"

#include <QLineF>
#include <QPainter>

#include <cmath>

namespace kelvo::pictures {

using namespace gdi;

namespace {

QPainterPath openPath(const QPolygonF &points)
{
    QPainterPath path;
    if (points.isEmpty())
        return path;
    path.moveTo(points.first());
    for (qsizetype i = 1; i < points.size(); ++i)
        path.lineTo(points[i]);
    return path;
}

void addBeziers(QPainterPath &path, const QPolygonF &points, qsizetype from)
{
    for (qsizetype i = from; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
}

// The angle of a point on the ellipse inscribed in rect, in degrees counter-clockwise from
// three o'clock as the screen shows it (y grows downwards).
qreal ellipseAngle(const QRectF &rect, QPointF point)
{
    const QPointF c = rect.center();
    const qreal rx = rect.width() / 2;
    const qreal ry = rect.height() / 2;
    if (rx <= 0 || ry <= 0)
        return 0;
    return std::atan2(-(point.y() - c.y()) / ry, (point.x() - c.x()) / rx) * 180 / M_PI;
}

} // namespace

void GdiPlayer::extendCurrentFigure(QPointF logicalStart)
{
    if (m_path.elementCount() == 0)
        m_path.moveTo(toPicture(logicalStart));
}

void GdiPlayer::moveTo(QPointF point)
{
    m_dc.currentPosition = point;
    if (m_pathOpen)
        m_path.moveTo(toPicture(point));
}

void GdiPlayer::lineTo(QPointF point)
{
    if (m_pathOpen) {
        extendCurrentFigure(m_dc.currentPosition);
        m_path.lineTo(toPicture(point));
    } else {
        drawLogical(openPath(QPolygonF { m_dc.currentPosition, point }), false, true);
    }
    m_dc.currentPosition = point;
}

void GdiPlayer::polyline(const QPolygonF &points)
{
    if (points.size() >= 2)
        drawLogical(openPath(points), false, true);
}

void GdiPlayer::polylineTo(const QPolygonF &points)
{
    if (points.isEmpty())
        return;
    if (m_pathOpen) {
        extendCurrentFigure(m_dc.currentPosition);
        for (const QPointF &point : points)
            m_path.lineTo(toPicture(point));
    } else {
        drawLogical(openPath(QPolygonF { m_dc.currentPosition } + points), false, true);
    }
    m_dc.currentPosition = points.last();
}

void GdiPlayer::polygon(const QPolygonF &points)
{
    if (points.size() < 2)
        return;
    QPainterPath path = openPath(points);
    path.closeSubpath();
    drawLogical(path, true, true);
}

void GdiPlayer::polyPolygon(const QList<QPolygonF> &polygons)
{
    QPainterPath path;
    for (const QPolygonF &points : polygons) {
        if (points.size() < 2)
            continue;
        path.addPath(openPath(points));
        path.closeSubpath();
    }
    drawLogical(path, true, true);
}

void GdiPlayer::polyPolyline(const QList<QPolygonF> &polylines)
{
    for (const QPolygonF &points : polylines)
        polyline(points);
}

void GdiPlayer::polyBezier(const QPolygonF &points)
{
    if (points.size() < 4)
        return;
    QPainterPath path(points.first());
    addBeziers(path, points, 1);
    drawLogical(path, false, true);
}

void GdiPlayer::polyBezierTo(const QPolygonF &points)
{
    if (points.size() < 3)
        return;
    if (m_pathOpen) {
        extendCurrentFigure(m_dc.currentPosition);
        const QTransform transform = logicalToPicture();
        for (qsizetype i = 0; i + 2 < points.size(); i += 3)
            m_path.cubicTo(transform.map(points[i]), transform.map(points[i + 1]), transform.map(points[i + 2]));
    } else {
        QPainterPath path(m_dc.currentPosition);
        addBeziers(path, points, 0);
        drawLogical(path, false, true);
    }
    m_dc.currentPosition = points[points.size() - 1 - points.size() % 3];
}

void GdiPlayer::rectangle(const QRectF &rect)
{
    QPainterPath path;
    path.addRect(rect.normalized());
    drawLogical(path, true, true);
}

void GdiPlayer::roundRect(const QRectF &rect, QSizeF corner)
{
    const QRectF r = rect.normalized();
    QPainterPath path;
    path.addRoundedRect(r, std::min(std::abs(corner.width()) / 2, r.width() / 2),
        std::min(std::abs(corner.height()) / 2, r.height() / 2));
    drawLogical(path, true, true);
}

void GdiPlayer::ellipse(const QRectF &rect)
{
    QPainterPath path;
    path.addEllipse(rect.normalized());
    drawLogical(path, true, true);
}

void GdiPlayer::arc(ArcKind kind, const QRectF &rect, QPointF start, QPointF end)
{
    const QRectF r = rect.normalized();
    const qreal from = ellipseAngle(r, start);
    qreal sweep = ellipseAngle(r, end) - from;
    // Windows draws counter-clockwise on the device unless told otherwise; equal radials give
    // a full ellipse. A mapping that mirrors the picture reverses the direction in logical units.
    const bool mirrored = logicalToPicture().determinant() < 0;
    if (m_dc.clockwiseArcs != mirrored) {
        while (sweep >= 0)
            sweep -= 360;
    } else {
        while (sweep <= 0)
            sweep += 360;
    }
    QPainterPath path;
    switch (kind) {
    case ArcKind::Pie:
        path.moveTo(r.center());
        path.arcTo(r, from, sweep);
        path.closeSubpath();
        break;
    case ArcKind::Chord:
        path.arcMoveTo(r, from);
        path.arcTo(r, from, sweep);
        path.closeSubpath();
        break;
    case ArcKind::Arc:
    case ArcKind::ArcTo:
        path.arcMoveTo(r, from);
        path.arcTo(r, from, sweep);
        break;
    }
    if (kind == ArcKind::ArcTo) {
        // A line from the current position to the arc's start, and the position moves to its end.
        const QPointF from = m_dc.currentPosition;
        QPainterPath withLine(from);
        withLine.connectPath(path);
        m_dc.currentPosition = path.currentPosition();
        if (m_pathOpen) {
            extendCurrentFigure(from);
            if (const std::optional<QPainterPath> mapped = toPicture(path))
                m_path.connectPath(*mapped);
            return;
        }
        drawLogical(withLine, false, true);
        return;
    }
    const bool closed = kind != ArcKind::Arc;
    drawLogical(path, closed, true);
}

void GdiPlayer::setPixel(QPointF point, const QColor &color)
{
    const QTransform transform = logicalToPicture();
    if (!usable(transform))
        return;
    const QPointF at = transform.map(point);
    const QRectF pixel(std::floor(at.x()), std::floor(at.y()), 1, 1);
    if (!m_painter) {
        addBounds(pixel);
        return;
    }
    applyClip();
    m_painter->setTransform(QTransform::fromScale(m_scale, m_scale));
    m_painter->fillRect(pixel, color);
}

void GdiPlayer::fillRegion(const LogRegion &region, const LogBrush &brush)
{
    QPainterPath path;
    for (const QRectF &rect : deviceRectangles(region))
        path.addRect(rect.normalized());
    const LogBrush selected = m_dc.brush;
    const LogPen pen = m_dc.pen;
    m_dc.brush = brush;
    m_dc.pen.style = PS_NULL;
    draw(m_deviceToPicture.map(path), true, false, logicalToPicture());
    m_dc.brush = selected;
    m_dc.pen = pen;
}

} // namespace kelvo::pictures
