#include "GdiPlayer.h"

#include "PictureLimits.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace kelvo::pictures {

using namespace gdi;

namespace {

bool finite(const QTransform &t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) && std::isfinite(t.m22())
        && std::isfinite(t.dx()) && std::isfinite(t.dy());
}

qreal clampCoordinate(qreal value)
{
    return std::clamp(value, -CoordinateLimit, CoordinateLimit);
}

LogFont defaultFont()
{
    LogFont font;
    font.height = -13;
    font.faceName = QStringLiteral("MS Sans Serif");
    return font;
}

} // namespace

GdiPlayer::GdiPlayer(QPainter *painter, qreal scale, QSize pictureSize, const QTransform &deviceToPicture,
    QPointF deviceUnitsPerMm, int objectCapacity)
    : m_painter(painter)
    , m_scale(scale)
    , m_surface(QRectF(QPointF(), QSizeF(pictureSize) * scale).adjusted(-2, -2, 2, 2))
    , m_deviceToPicture(deviceToPicture)
    , m_deviceUnitsPerMm(deviceUnitsPerMm)
    , m_objects(objectCapacity)
{
    m_dc.font = defaultFont();
    if (m_painter) {
        m_painter->save();
        m_painter->setRenderHint(QPainter::Antialiasing);
        m_painter->setRenderHint(QPainter::TextAntialiasing);
    }
}

GdiPlayer::~GdiPlayer()
{
    if (m_painter)
        m_painter->restore();
}

// --- Mapping ------------------------------------------------------------------------------------

QTransform GdiPlayer::logicalToPicture() const
{
    return m_dc.world * m_dc.pageTransform(m_deviceUnitsPerMm) * m_deviceToPicture;
}

bool GdiPlayer::usable(const QTransform &transform) const
{
    return finite(transform) && std::abs(transform.determinant()) > 1e-12;
}

void GdiPlayer::setMapMode(int mode)
{
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return;
    m_dc.mapMode = mode;
}

void GdiPlayer::setWindowExt(QSizeF extent)
{
    // As Windows: ignored outside the scalable modes, and a zero extent is refused.
    if (m_dc.scalableExtents() && extent.width() != 0 && extent.height() != 0)
        m_dc.windowExt = extent;
}

void GdiPlayer::setViewportExt(QSizeF extent)
{
    if (m_dc.scalableExtents() && extent.width() != 0 && extent.height() != 0)
        m_dc.viewportExt = extent;
}

void GdiPlayer::scaleWindowExt(qreal xNum, qreal xDenom, qreal yNum, qreal yDenom)
{
    if (xDenom != 0 && yDenom != 0)
        setWindowExt(QSizeF(m_dc.windowExt.width() * xNum / xDenom, m_dc.windowExt.height() * yNum / yDenom));
}

void GdiPlayer::scaleViewportExt(qreal xNum, qreal xDenom, qreal yNum, qreal yDenom)
{
    if (xDenom != 0 && yDenom != 0)
        setViewportExt(QSizeF(m_dc.viewportExt.width() * xNum / xDenom, m_dc.viewportExt.height() * yNum / yDenom));
}

void GdiPlayer::setWorldTransform(const QTransform &transform)
{
    if (finite(transform))
        m_dc.world = transform;
}

void GdiPlayer::modifyWorldTransform(const QTransform &transform, Multiply side)
{
    setWorldTransform(side == Multiply::Left ? transform * m_dc.world : m_dc.world * transform);
}

void GdiPlayer::saveDC()
{
    if (m_saved.size() < MaxSavedStates)
        m_saved.append(m_dc);
}

void GdiPlayer::restoreDC(int which)
{
    const qsizetype index = which < 0 ? m_saved.size() + which : qsizetype(which) - 1;
    if (index < 0 || index >= m_saved.size())
        return;
    m_dc = m_saved[index];
    m_saved.resize(index);
    m_clipDirty = true;
}

// --- Objects ------------------------------------------------------------------------------------

void GdiPlayer::createObject(Object object)
{
    m_objects.add(std::move(object));
}

void GdiPlayer::createObjectAt(quint32 index, Object object)
{
    m_objects.set(index, std::move(object));
}

void GdiPlayer::selectObject(quint32 index)
{
    if (index & 0x80000000u) {
        selectStockObject(index & 0x7FFFFFFFu);
        return;
    }
    const Object *found = m_objects.find(index);
    if (!found)
        return;
    if (const auto *pen = std::get_if<LogPen>(found))
        m_dc.pen = *pen;
    else if (const auto *brush = std::get_if<LogBrush>(found))
        m_dc.brush = *brush;
    else if (const auto *font = std::get_if<LogFont>(found))
        m_dc.font = *font;
    else if (const auto *region = std::get_if<LogRegion>(found))
        selectClipRegion(*region, RGN_COPY);
}

void GdiPlayer::selectStockObject(quint32 stock)
{
    auto brush = [&](QColor color, quint32 style = BS_SOLID) {
        m_dc.brush = LogBrush { style, color, HS_HORIZONTAL, {} };
    };
    auto pen = [&](QColor color, quint32 style = PS_SOLID) { m_dc.pen = LogPen { style, 0, color, false, {} }; };
    switch (stock) {
    case WHITE_BRUSH:
    case DC_BRUSH:
        brush(Qt::white);
        break;
    case LTGRAY_BRUSH:
        brush(QColor(0xC0, 0xC0, 0xC0));
        break;
    case GRAY_BRUSH:
        brush(QColor(0x80, 0x80, 0x80));
        break;
    case DKGRAY_BRUSH:
        brush(QColor(0x40, 0x40, 0x40));
        break;
    case BLACK_BRUSH:
        brush(Qt::black);
        break;
    case NULL_BRUSH:
        brush(Qt::black, BS_NULL);
        break;
    case WHITE_PEN:
        pen(Qt::white);
        break;
    case BLACK_PEN:
    case DC_PEN:
        pen(Qt::black);
        break;
    case NULL_PEN:
        pen(Qt::black, PS_NULL);
        break;
    default:
        if (stock >= OEM_FIXED_FONT && stock <= DEFAULT_GUI_FONT)
            m_dc.font = defaultFont();
        break;
    }
}

void GdiPlayer::deleteObject(quint32 index)
{
    m_objects.remove(index);
}

// --- Pens, brushes and drawing ------------------------------------------------------------------

QPen GdiPlayer::currentPen(const QTransform &toPicture) const
{
    const LogPen &logPen = m_dc.pen;
    const quint32 style = logPen.style & PS_STYLE_MASK;
    if (style == PS_NULL)
        return Qt::NoPen;
    const bool geometric = logPen.width > 0 && (!logPen.extended || (logPen.style & PS_GEOMETRIC));
    // A geometric pen is as wide as its width maps to, but never thinner than one pixel.
    const qreal linearScale = std::sqrt(std::abs(toPicture.determinant()));
    // Wider than twice the picture's diagonal, a pen covers it all anyway; capping the width keeps
    // the stroker from building outlines of a million pixels.
    const qreal widest = m_painter ? 2 * std::hypot(m_surface.width(), m_surface.height()) / m_scale : CoordinateLimit;
    const qreal width = geometric ? std::clamp(logPen.width * linearScale, 1.0, std::max(1.0, widest)) : 1.0;
    QPen pen(m_dc.pen.color, width);
    if (logPen.extended) {
        const quint32 cap = logPen.style & PS_ENDCAP_MASK;
        pen.setCapStyle(cap == PS_ENDCAP_FLAT ? Qt::FlatCap : cap == PS_ENDCAP_SQUARE ? Qt::SquareCap : Qt::RoundCap);
        const quint32 join = logPen.style & PS_JOIN_MASK;
        pen.setJoinStyle(join == PS_JOIN_BEVEL ? Qt::BevelJoin : join == PS_JOIN_MITER ? Qt::MiterJoin : Qt::RoundJoin);
        pen.setMiterLimit(std::clamp(m_dc.miterLimit, 1.0, 100.0));
    } else {
        pen.setCapStyle(width > 1 ? Qt::RoundCap : Qt::FlatCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }

    // Windows draws the styles of a plain pen only when it is one pixel wide; dashes of a thin pen
    // are in pixels, those of a geometric extended pen in multiples of its width.
    const bool thin = width <= 1.0;
    if (!logPen.extended && !thin)
        return pen;
    QList<qreal> dashes;
    switch (style) {
    case PS_DASH:
        dashes = thin ? QList<qreal> { 18, 6 } : QList<qreal> { 3, 1 };
        break;
    case PS_DOT:
    case PS_ALTERNATE:
        dashes = thin ? QList<qreal> { 3, 3 } : QList<qreal> { 1, 1 };
        break;
    case PS_DASHDOT:
        dashes = thin ? QList<qreal> { 9, 6, 3, 6 } : QList<qreal> { 3, 1, 1, 1 };
        break;
    case PS_DASHDOTDOT:
        dashes = thin ? QList<qreal> { 9, 3, 3, 3, 3, 3 } : QList<qreal> { 3, 1, 1, 1, 1, 1 };
        break;
    case PS_USERSTYLE:
        for (const qreal entry : logPen.userDashes)
            dashes.append(std::clamp(geometric ? entry * linearScale / width : entry, 0.5, 1000.0));
        if (dashes.size() % 2)
            dashes += dashes;
        break;
    default:
        break;
    }
    if (!dashes.isEmpty()) {
        if (thin)
            pen.setCapStyle(Qt::FlatCap);
        pen.setDashPattern(dashes);
    }
    return pen;
}

QBrush GdiPlayer::brushOf(const LogBrush &brush) const
{
    switch (brush.style) {
    case BS_SOLID:
        return QBrush(brush.color);
    case BS_HATCHED: {
        static constexpr Qt::BrushStyle hatches[] = { Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
            Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern };
        return QBrush(brush.color, brush.hatch < 6 ? hatches[brush.hatch] : Qt::SolidPattern);
    }
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT:
        if (!brush.pattern.isNull())
            return QBrush(brush.pattern);
        return QBrush(brush.color);
    default:
        return Qt::NoBrush;
    }
}

std::optional<QPainterPath> GdiPlayer::toPicture(const QPainterPath &logical) const
{
    const QTransform transform = logicalToPicture();
    if (!usable(transform))
        return std::nullopt;
    QPainterPath mapped = transform.map(logical);
    for (int i = 0; i < mapped.elementCount(); ++i) {
        const QPainterPath::Element e = mapped.elementAt(i);
        if (!std::isfinite(e.x) || !std::isfinite(e.y))
            return std::nullopt;
        if (std::abs(e.x) > CoordinateLimit || std::abs(e.y) > CoordinateLimit)
            mapped.setElementPositionAt(i, clampCoordinate(e.x), clampCoordinate(e.y));
    }
    return mapped;
}

void GdiPlayer::addBounds(const QRectF &pictureRect)
{
    m_bounds = m_bounds.isNull() ? pictureRect : m_bounds.united(pictureRect);
}

void GdiPlayer::applyClip()
{
    if (!m_painter || !m_clipDirty)
        return;
    m_clipDirty = false;
    if (!m_dc.clip) {
        m_painter->setClipping(false);
        return;
    }
    m_painter->resetTransform();
    m_painter->setClipRegion(*m_dc.clip);
}

void GdiPlayer::draw(const QPainterPath &picturePath, bool fill, bool stroke, const QTransform &toPicture)
{
    const QPen pen = stroke ? currentPen(toPicture) : QPen(Qt::NoPen);
    const QBrush brush = fill ? brushOf(m_dc.brush) : QBrush(Qt::NoBrush);
    if (pen.style() == Qt::NoPen && brush.style() == Qt::NoBrush)
        return;
    QPainterPath path = picturePath;
    path.setFillRule(m_dc.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    if (!m_painter) {
        const qreal half = pen.style() == Qt::NoPen ? 0 : pen.widthF() / 2;
        addBounds(path.controlPointRect().adjusted(-half, -half, half, half));
        return;
    }
    applyClip();
    // Windows draws on whole device pixels: every point is rounded to one, and a line's width is
    // a whole number of pixels. Doing the same keeps lines and edges sharp.
    QPainterPath device = QTransform::fromScale(m_scale, m_scale).map(path);
    for (int i = 0; i < device.elementCount(); ++i) {
        const QPainterPath::Element e = device.elementAt(i);
        device.setElementPositionAt(i, std::round(e.x), std::round(e.y));
    }
    m_painter->resetTransform();
    m_painter->setBackgroundMode(m_dc.backgroundMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    m_painter->setBackground(m_dc.backgroundColor);
    if (brush.style() != Qt::NoBrush) {
        m_painter->setPen(Qt::NoPen);
        m_painter->setBrush(brush);
        m_painter->drawPath(device);
    }
    if (pen.style() != Qt::NoPen) {
        // A line of odd width is centred on a pixel's middle, which Qt puts at +0.5. Widths and
        // that half pixel count in picture pixels, so the picture looks the same at any ratio.
        QPen devicePen = pen;
        const qreal width = std::max(1.0, std::round(pen.widthF()));
        devicePen.setWidthF(width * m_scale);
        if (std::fmod(width, 2.0) == 1.0)
            m_painter->setTransform(QTransform::fromTranslate(0.5 * m_scale, 0.5 * m_scale));
        m_painter->setPen(devicePen);
        m_painter->setBrush(Qt::NoBrush);
        m_painter->drawPath(device);
    }
}

void GdiPlayer::drawLogical(const QPainterPath &logicalPath, bool fill, bool stroke)
{
    const std::optional<QPainterPath> mapped = toPicture(logicalPath);
    if (!mapped)
        return;
    if (m_pathOpen) {
        m_path.addPath(*mapped);
        return;
    }
    draw(*mapped, fill, stroke, logicalToPicture());
}

// --- Clipping -----------------------------------------------------------------------------------

// Clipping lives in pixels of the painter's device, bounded by its surface: a region reaching
// far outside it would only cost time (and Qt's scan conversion of huge polygons misbehaves).
QRegion GdiPlayer::toClipRegion(const QPainterPath &picturePath) const
{
    QPainterPath device = QTransform::fromScale(m_scale, m_scale).map(picturePath);
    const QRectF box = device.controlPointRect();
    if (!std::isfinite(box.width()) || !std::isfinite(box.height()))
        return {};
    const QPolygonF polygon = device.toFillPolygon();
    const bool axisAligned = polygon.size() == 5 && std::all_of(polygon.cbegin(), polygon.cend(), [&](QPointF p) {
        return (p.x() == box.left() || p.x() == box.right()) && (p.y() == box.top() || p.y() == box.bottom());
    });
    if (axisAligned) // the usual clipping rectangle: no scan conversion needed
        return QRegion(box.intersected(m_surface).toAlignedRect());
    QPainterPath surface;
    surface.addRect(m_surface);
    device = device.intersected(surface);
    return QRegion(device.toFillPolygon().toPolygon(), picturePath.fillRule());
}

QRegion GdiPlayer::toClipRegion(const QList<QRectF> &pictureRects) const
{
    QRegion region;
    for (const QRectF &rect : pictureRects) {
        const QRectF device(rect.x() * m_scale, rect.y() * m_scale, rect.width() * m_scale, rect.height() * m_scale);
        if (!std::isfinite(device.width()) || !std::isfinite(device.height()))
            continue;
        region += device.normalized().intersected(m_surface).toAlignedRect();
        if (region.rectCount() > MaxClipRectangles)
            break; // only a hostile file gives a region this complex
    }
    return region;
}

void GdiPlayer::combineClip(const QRegion &region, int mode)
{
    if (!m_painter)
        return; // measuring: clipping changes no bounds
    if (mode == RGN_COPY) {
        m_dc.clip = region;
    } else if (!m_dc.clip) {
        // No clipping yet: the whole surface is the current region.
        m_dc.clip = QRegion(m_surface.toAlignedRect());
        combineClip(region, mode);
        return;
    } else if (m_dc.clip->rectCount() > MaxClipRectangles) {
        return; // A region this complex only comes from a hostile file; keep the one we have.
    } else {
        switch (mode) {
        case RGN_AND:
            m_dc.clip = m_dc.clip->intersected(region);
            break;
        case RGN_OR:
            m_dc.clip = m_dc.clip->united(region);
            break;
        case RGN_XOR:
            m_dc.clip = m_dc.clip->xored(region);
            break;
        case RGN_DIFF:
            m_dc.clip = m_dc.clip->subtracted(region);
            break;
        default:
            return;
        }
    }
    m_clipDirty = true;
}

void GdiPlayer::intersectClipRect(const QRectF &rect)
{
    QPainterPath path;
    path.addRect(rect.normalized());
    if (const std::optional<QPainterPath> mapped = toPicture(path))
        combineClip(toClipRegion(*mapped), RGN_AND);
}

void GdiPlayer::excludeClipRect(const QRectF &rect)
{
    QPainterPath path;
    path.addRect(rect.normalized());
    if (const std::optional<QPainterPath> mapped = toPicture(path))
        combineClip(toClipRegion(*mapped), RGN_DIFF);
}

void GdiPlayer::offsetClip(QPointF offset)
{
    if (!m_dc.clip)
        return;
    const QTransform transform = logicalToPicture();
    const QPointF delta = transform.map(offset) - transform.map(QPointF(0, 0));
    if (!std::isfinite(delta.x()) || !std::isfinite(delta.y()))
        return;
    const QPoint by(
        int(std::lround(clampCoordinate(delta.x() * m_scale))), int(std::lround(clampCoordinate(delta.y() * m_scale))));
    m_dc.clip = m_dc.clip->translated(by).intersected(m_surface.toAlignedRect());
    m_clipDirty = true;
}

void GdiPlayer::selectClipRegion(const QList<QRectF> &deviceRects, int mode)
{
    if (deviceRects.isEmpty() && mode == RGN_COPY) {
        m_dc.clip.reset();
        m_clipDirty = true;
        return;
    }
    QList<QRectF> pictureRects;
    pictureRects.reserve(deviceRects.size());
    for (const QRectF &rect : deviceRects)
        pictureRects.append(m_deviceToPicture.mapRect(rect.normalized()));
    combineClip(toClipRegion(pictureRects), mode);
}

QList<QRectF> GdiPlayer::deviceRectangles(const LogRegion &region) const
{
    if (!region.logicalUnits)
        return region.rectangles;
    const QTransform toDevice = m_dc.world * m_dc.pageTransform(m_deviceUnitsPerMm);
    QList<QRectF> rects;
    rects.reserve(region.rectangles.size());
    for (const QRectF &rect : region.rectangles)
        rects.append(toDevice.mapRect(rect.normalized()));
    return rects;
}

void GdiPlayer::selectClipRegion(const LogRegion &region, int mode)
{
    selectClipRegion(deviceRectangles(region), mode);
}

// --- Paths --------------------------------------------------------------------------------------

void GdiPlayer::beginPath()
{
    m_path = QPainterPath();
    m_pathOpen = true;
}

void GdiPlayer::endPath()
{
    m_pathOpen = false;
}

void GdiPlayer::abortPath()
{
    m_pathOpen = false;
    m_path = QPainterPath();
}

void GdiPlayer::closeFigure()
{
    if (m_pathOpen)
        m_path.closeSubpath();
}

void GdiPlayer::fillPath()
{
    m_pathOpen = false;
    draw(m_path, true, false, logicalToPicture());
    m_path = QPainterPath();
}

void GdiPlayer::strokePath()
{
    m_pathOpen = false;
    draw(m_path, false, true, logicalToPicture());
    m_path = QPainterPath();
}

void GdiPlayer::strokeAndFillPath()
{
    m_pathOpen = false;
    draw(m_path, true, true, logicalToPicture());
    m_path = QPainterPath();
}

void GdiPlayer::selectClipPath(int mode)
{
    m_pathOpen = false;
    QPainterPath path = m_path;
    path.setFillRule(m_dc.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    combineClip(toClipRegion(path), mode);
    m_path = QPainterPath();
}

} // namespace kelvo::pictures
