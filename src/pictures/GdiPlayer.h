#pragma once

#include "DeviceContext.h"
#include "GdiObjects.h"

#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;
class QPen;
class QBrush;

namespace kelvo::pictures {

// Carries out drawing calls of the Windows graphics device interface, as the records of a
// metafile make them, on a QPainter; or, without a painter, only collects the bounds of what
// would be drawn (used to check a file and to size a metafile that states no size).
//
// Coordinates: logical units go through the world transform (EMF), the page mapping (mapping
// mode, window and viewport) to device units, and through `deviceToPicture` to picture pixels.
// The painter draws picture pixels scaled by `scale`.
class GdiPlayer final
{
public:
    GdiPlayer(QPainter *painter, qreal scale, QSize pictureSize, const QTransform &deviceToPicture,
        QPointF deviceUnitsPerMm, int objectCapacity);
    ~GdiPlayer();
    Q_DISABLE_COPY_MOVE(GdiPlayer)

    DeviceContext &dc() { return m_dc; }
    QRectF drawnBounds() const { return m_bounds; }

    // Mapping
    void setMapMode(int mode);
    void setWindowOrg(QPointF origin) { m_dc.windowOrg = origin; }
    void setViewportOrg(QPointF origin) { m_dc.viewportOrg = origin; }
    void setWindowExt(QSizeF extent);
    void setViewportExt(QSizeF extent);
    void scaleWindowExt(qreal xNum, qreal xDenom, qreal yNum, qreal yDenom);
    void scaleViewportExt(qreal xNum, qreal xDenom, qreal yNum, qreal yDenom);
    void setWorldTransform(const QTransform &transform);
    enum class Multiply { Left, Right };
    void modifyWorldTransform(const QTransform &transform, Multiply side);
    void saveDC();
    // Negative: relative to the latest save (-1 is the latest); positive: the n-th save.
    void restoreDC(int which);

    // Objects
    void createObject(gdi::Object object); // WMF: lowest free slot
    void createObjectAt(quint32 index, gdi::Object object); // EMF: named slot
    void selectObject(quint32 index);
    void selectStockObject(quint32 stock);
    void deleteObject(quint32 index);
    const gdi::Object *object(quint32 index) const { return m_objects.find(index); }

    // Lines and shapes, in logical units
    void moveTo(QPointF point);
    void lineTo(QPointF point);
    void polyline(const QPolygonF &points);
    void polylineTo(const QPolygonF &points);
    void polygon(const QPolygonF &points);
    void polyPolygon(const QList<QPolygonF> &polygons);
    void polyPolyline(const QList<QPolygonF> &polylines);
    void polyBezier(const QPolygonF &points);
    void polyBezierTo(const QPolygonF &points);
    void rectangle(const QRectF &rect);
    void roundRect(const QRectF &rect, QSizeF corner);
    void ellipse(const QRectF &rect);
    enum class ArcKind { Arc, Chord, Pie, ArcTo };
    void arc(ArcKind kind, const QRectF &rect, QPointF start, QPointF end);
    void setPixel(QPointF point, const QColor &color);
    void fillRegion(const gdi::LogRegion &region, const gdi::LogBrush &brush);

    // Paths (EMF path brackets)
    void beginPath();
    void endPath();
    void abortPath();
    void closeFigure();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void selectClipPath(int mode);

    // Clipping
    void intersectClipRect(const QRectF &rect);
    void excludeClipRect(const QRectF &rect);
    void offsetClip(QPointF offset);
    // Rectangles in device units; no rectangles with RGN_COPY removes the clipping.
    void selectClipRegion(const QList<QRectF> &deviceRects, int mode);
    void selectClipRegion(const gdi::LogRegion &region, int mode);

    // Text: `text` already decoded; `advances` in logical units (empty: the font's own).
    struct TextOut
    {
        QPointF reference;
        QString text;
        quint32 options = 0;
        std::optional<QRectF> rect;
        QList<qreal> advances;
    };
    void textOut(const TextOut &text);

    // Bitmaps: the source rectangle in bitmap pixels from its top-left corner.
    void drawBitmap(
        const QImage &image, const QRectF &destination, QRectF source, quint32 rasterOperation, qreal opacity = 1);
    void patBlt(const QRectF &destination, quint32 rasterOperation);

private:
    QTransform logicalToPicture() const;
    bool usable(const QTransform &transform) const;
    std::optional<QPainterPath> toPicture(const QPainterPath &logical) const;
    QPointF toPicture(QPointF logical) const { return logicalToPicture().map(logical); }
    QRegion toClipRegion(const QPainterPath &picturePath) const;
    QRegion toClipRegion(const QList<QRectF> &pictureRects) const;
    void combineClip(const QRegion &region, int mode);
    void applyClip();

    QPen currentPen(const QTransform &toPicture) const;
    QBrush brushOf(const gdi::LogBrush &brush) const;
    // Strokes and/or fills a path in picture pixels with the current pen and brush.
    void draw(const QPainterPath &picturePath, bool fill, bool stroke, const QTransform &toPicture);
    void drawLogical(const QPainterPath &logicalPath, bool fill, bool stroke);
    void addBounds(const QRectF &pictureRect);
    QList<QRectF> deviceRectangles(const gdi::LogRegion &region) const;
    void extendCurrentFigure(QPointF logicalStart);

    QPainter *m_painter;
    qreal m_scale;
    QRectF m_surface; // the painter's device, in its pixels, with a small margin
    QTransform m_deviceToPicture;
    QPointF m_deviceUnitsPerMm;
    DeviceContext m_dc;
    QList<DeviceContext> m_saved;
    gdi::ObjectTable m_objects;
    QRectF m_bounds;
    bool m_pathOpen = false;
    QPainterPath m_path; // picture pixels
    bool m_clipDirty = true;
};

} // namespace kelvo::pictures
