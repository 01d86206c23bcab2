#include "DeviceContext.h"

#include <cmath>

namespace kelvo::pictures {

QTransform DeviceContext::pageTransform(QPointF deviceUnitsPerMm) const
{
    qreal sx = 1;
    qreal sy = 1;
    auto fixed = [&](qreal mmPerUnit) {
        sx = deviceUnitsPerMm.x() * mmPerUnit;
        sy = -deviceUnitsPerMm.y() * mmPerUnit; // y grows upwards in the fixed modes
    };
    switch (mapMode) {
    case gdi::MM_LOMETRIC:
        fixed(0.1);
        break;
    case gdi::MM_HIMETRIC:
        fixed(0.01);
        break;
    case gdi::MM_LOENGLISH:
        fixed(0.254);
        break;
    case gdi::MM_HIENGLISH:
        fixed(0.0254);
        break;
    case gdi::MM_TWIPS:
        fixed(25.4 / 1440);
        break;
    case gdi::MM_ISOTROPIC:
    case gdi::MM_ANISOTROPIC:
        sx = viewportExt.width() / windowExt.width();
        sy = viewportExt.height() / windowExt.height();
        if (mapMode == gdi::MM_ISOTROPIC) {
            const qreal scale = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(scale, sx);
            sy = std::copysign(scale, sy);
        }
        break;
    default:
        break;
    }
    return QTransform(sx, 0, 0, sy, viewportOrg.x() - windowOrg.x() * sx, viewportOrg.y() - windowOrg.y() * sy);
}

} // namespace kelvo::pictures
