#include "GdiPlayer.h"

#include "DibDecoder.h"

#include <QPainter>

#include <cmath>

namespace kelvo::pictures {

using namespace gdi;

void GdiPlayer::drawBitmap(
    const QImage &image, const QRectF &destination, QRectF source, quint32 rasterOperation, qreal opacity)
{
    if (image.isNull() || m_pathOpen)
        return;
    source = source.normalized().intersected(QRectF(image.rect()));
    if (source.isEmpty() || destination.width() == 0 || destination.height() == 0)
        return;
    const QTransform transform = logicalToPicture();
    if (!usable(transform))
        return;
    // Source pixels onto the destination rectangle; opposite signs mirror, as StretchBlt does.
    const QTransform sourceToLogical = QTransform::fromTranslate(-source.x(), -source.y())
        * QTransform::fromScale(destination.width() / source.width(), destination.height() / source.height())
        * QTransform::fromTranslate(destination.x(), destination.y());
    const QTransform sourceToPicture = sourceToLogical * transform;
    const QRectF pictureRect = sourceToPicture.mapRect(source);
    if (!std::isfinite(pictureRect.width()) || !std::isfinite(pictureRect.height()))
        return;
    if (!m_painter) {
        addBounds(pictureRect);
        return;
    }

    // The masked-bitmap idiom (AND with a mask, then OR with the picture) would turn a transparent
    // surface black; drawing the parts of each bitmap that change something gives the same result
    // on an opaque background and keeps the surface transparent elsewhere.
    QImage drawn = image;
    switch (rasterOperation) {
    case SRCAND:
        drawn = withColorLeftOut(image, qRgb(255, 255, 255));
        break;
    case SRCPAINT:
    case SRCINVERT:
        drawn = withColorLeftOut(image, qRgb(0, 0, 0));
        break;
    case DSTINVERT:
        return;
    default:
        break;
    }
    applyClip();
    m_painter->save();
    m_painter->setTransform(sourceToPicture * QTransform::fromScale(m_scale, m_scale));
    m_painter->setOpacity(opacity);
    // Enlarged bitmaps keep hard pixel edges, as StretchBlt draws them; reduced ones are smoothed.
    m_painter->setRenderHint(
        QPainter::SmoothPixmapTransform, pictureRect.width() * m_scale < source.width() || m_dc.stretchMode == 4);
    m_painter->drawImage(source, drawn, source);
    m_painter->restore();
}

void GdiPlayer::patBlt(const QRectF &destination, quint32 rasterOperation)
{
    if (m_pathOpen)
        return;
    QPainterPath path;
    path.addRect(destination.normalized());
    const LogBrush selected = m_dc.brush;
    const LogPen pen = m_dc.pen;
    switch (rasterOperation) {
    case BLACKNESS:
        m_dc.brush = LogBrush { BS_SOLID, Qt::black, 0, {} };
        break;
    case WHITENESS:
        m_dc.brush = LogBrush { BS_SOLID, Qt::white, 0, {} };
        break;
    case PATCOPY:
        break;
    default:
        return; // inversions change nothing we can show on a transparent surface
    }
    m_dc.pen.style = PS_NULL;
    drawLogical(path, true, false);
    m_dc.brush = selected;
    m_dc.pen = pen;
}

} // namespace kelvo::pictures
