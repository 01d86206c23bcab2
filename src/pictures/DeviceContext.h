#pragma once

#include "GdiObjects.h"

#include <QPointF>
#include <QRegion>
#include <QSizeF>
#include <QTransform>

#include <optional>

namespace kelvo::pictures {

// The state of a device context while a metafile plays: mapping, selected objects, colours,
// modes and clipping. SaveDC and RestoreDC copy it whole.
struct DeviceContext
{
    int mapMode = gdi::MM_TEXT;
    QPointF windowOrg;
    QSizeF windowExt { 1, 1 };
    QPointF viewportOrg;
    QSizeF viewportExt { 1, 1 };
    QTransform world; // EMF world transform (logical to page units)

    gdi::LogPen pen;
    gdi::LogBrush brush;
    gdi::LogFont font;
    QColor textColor = Qt::black;
    QColor backgroundColor = Qt::white;
    int backgroundMode = gdi::OPAQUE;
    quint32 textAlign = 0;
    int polyFillMode = gdi::ALTERNATE;
    int stretchMode = 0;
    bool clockwiseArcs = false;
    qreal miterLimit = 10;
    QPointF currentPosition; // logical units

    // In pixels of the painter's device; none means no clipping.
    std::optional<QRegion> clip;

    // Page units to device units for the current mapping mode. `deviceUnitsPerMm` gives the
    // scale of the fixed modes (metric, English, twips).
    QTransform pageTransform(QPointF deviceUnitsPerMm) const;
    bool scalableExtents() const { return mapMode == gdi::MM_ISOTROPIC || mapMode == gdi::MM_ANISOTROPIC; }
};

} // namespace kelvo::pictures
