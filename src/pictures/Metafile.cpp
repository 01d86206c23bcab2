#include "Metafile.h"

#include "ByteReader.h"
#include "GdiPlayer.h"
#include "MetafileRecords.h"
#include "PictureErrors.h"
#include "PictureLimits.h"

#include <algorithm>
#include <cmath>

namespace kelvo::pictures {

namespace {

constexpr quint32 PlaceableKey = 0x9AC6CDD7;
constexpr quint32 EmfSignature = 0x464D4520; // " EMF"
constexpr qint64 EmfMinimumHeader = 88;
constexpr qreal ScreenDpi = 96;

bool withinCaps(qint64 width, qint64 height)
{
    return width <= MaxPictureSide && height <= MaxPictureSide && width * height <= MaxPicturePixels;
}

} // namespace

bool Metafile::isEmf(QByteArrayView data)
{
    const ByteReader r(data);
    return r.contains(0, EmfMinimumHeader) && r.u32(0) == 1 && r.u32(40) == EmfSignature;
}

bool Metafile::isWmf(QByteArrayView data)
{
    const ByteReader r(data);
    if (r.contains(0, 4) && r.u32(0) == PlaceableKey)
        return true;
    return r.contains(0, 18) && (r.u16(0) == 1 || r.u16(0) == 2) && r.u16(2) == 9;
}

Metafile Metafile::read(QByteArray data)
{
    Metafile metafile;
    metafile.m_data = std::move(data);
    if (isEmf(metafile.m_data)) {
        metafile.m_kind = Kind::Emf;
        metafile.readEmf();
    } else if (isWmf(metafile.m_data)) {
        metafile.m_kind = Kind::Wmf;
        metafile.readWmf();
    } else {
        fail();
    }
    metafile.playInto(nullptr, 1); // every record checked once, without drawing
    return metafile;
}

void Metafile::readWmf()
{
    const ByteReader r(m_data);
    qint64 headerAt = 0;
    std::optional<QRectF> box;
    qreal unitsPerInch = 0;
    if (r.u32(0) == PlaceableKey) {
        box = QRectF(QPointF(r.i16(6), r.i16(8)), QPointF(r.i16(10), r.i16(12)));
        unitsPerInch = r.u16(14);
        if (unitsPerInch == 0)
            fail();
        headerAt = 22;
    }
    const int type = r.u16(headerAt);
    if ((type != 1 && type != 2) || r.u16(headerAt + 2) != 9)
        fail();
    m_objectCapacity = r.u16(headerAt + 10);
    m_recordsAt = headerAt + 18;
    const ByteReader records = r.from(m_recordsAt);

    if (box) {
        // The placeable header's box in units per inch, shown at 96 DPI.
        m_window = *box;
        const qint64 width = std::llround(std::abs(box->width()) * ScreenDpi / unitsPerInch);
        const qint64 height = std::llround(std::abs(box->height()) * ScreenDpi / unitsPerInch);
        if (!withinCaps(width, height))
            throw PictureTooLarge();
        m_size = QSize(int(width), int(height));
        return;
    }

    // Without the placeable header a WMF states no size: take the window it sets for itself, or
    // else the bounds of its drawing, one logical unit to a pixel, reduced to fit the caps.
    if (const std::optional<QRectF> window = findWmfWindow(records)) {
        m_window = *window;
    } else {
        GdiPlayer measure(nullptr, 1, QSize(), QTransform(), m_deviceUnitsPerMm, m_objectCapacity);
        playWmfRecords(records, measure);
        m_window = measure.drawnBounds().toAlignedRect();
    }
    const qreal width = std::abs(m_window.width());
    const qreal height = std::abs(m_window.height());
    if (width < 1 || height < 1) {
        m_size = QSize(0, 0);
        return;
    }
    const qreal factor = std::min({ 1.0, MaxPictureSide / width, MaxPictureSide / height,
        std::sqrt(qreal(MaxPicturePixels) / (width * height)) });
    m_size = QSize(std::max(1, int(width * factor)), std::max(1, int(height * factor)));
}

void Metafile::readEmf()
{
    const ByteReader r(m_data);
    const qint64 headerSize = r.u32(4);
    if (headerSize < EmfMinimumHeader || !r.contains(0, headerSize))
        fail();
    const qint64 frameLeft = r.i32(24);
    const qint64 frameTop = r.i32(28);
    const qint64 frameWidth = qint64(r.i32(32)) - frameLeft;
    const qint64 frameHeight = qint64(r.i32(36)) - frameTop;
    m_objectCapacity = r.u16(56);

    // The reference device's resolution: pixels per millimetre, from the micrometre size where
    // the header has it.
    const qreal devicePixelsX = r.i32(72);
    const qreal devicePixelsY = r.i32(76);
    qreal mmX = r.i32(80);
    qreal mmY = r.i32(84);
    if (headerSize >= 108 && r.i32(100) > 0 && r.i32(104) > 0) {
        mmX = r.i32(100) / 1000.0;
        mmY = r.i32(104) / 1000.0;
    }
    if (devicePixelsX > 0 && devicePixelsY > 0 && mmX > 0 && mmY > 0)
        m_deviceUnitsPerMm = QPointF(devicePixelsX / mmX, devicePixelsY / mmY);

    // The frame (hundredths of a millimetre) gives the size and the part of the device shown;
    // without a usable frame, the bounds (device pixels, inclusive) do.
    QRectF deviceRect;
    qint64 width = std::llround(frameWidth * ScreenDpi / 2540.0);
    qint64 height = std::llround(frameHeight * ScreenDpi / 2540.0);
    if (width > 0 && height > 0) {
        deviceRect = QRectF(frameLeft * m_deviceUnitsPerMm.x() / 100, frameTop * m_deviceUnitsPerMm.y() / 100,
            frameWidth * m_deviceUnitsPerMm.x() / 100, frameHeight * m_deviceUnitsPerMm.y() / 100);
    } else {
        const qint64 left = r.i32(8);
        const qint64 top = r.i32(12);
        const qint64 boundsWidth = qint64(r.i32(16)) - left + 1;
        const qint64 boundsHeight = qint64(r.i32(20)) - top + 1;
        deviceRect = QRectF(left, top, boundsWidth, boundsHeight);
        width = std::llround(boundsWidth * ScreenDpi / (25.4 * m_deviceUnitsPerMm.x()));
        height = std::llround(boundsHeight * ScreenDpi / (25.4 * m_deviceUnitsPerMm.y()));
        if (width <= 0 || height <= 0) {
            m_size = QSize(0, 0);
            return;
        }
    }
    if (!withinCaps(width, height))
        throw PictureTooLarge();
    m_size = QSize(int(width), int(height));
    m_deviceToPicture = QTransform::fromTranslate(-deviceRect.x(), -deviceRect.y())
        * QTransform::fromScale(width / deviceRect.width(), height / deviceRect.height());
}

void Metafile::playInto(QPainter *painter, qreal scale) const
{
    if (m_size.isEmpty())
        return;
    const ByteReader file(m_data);
    if (m_kind == Kind::Emf) {
        GdiPlayer player(painter, scale, m_size, m_deviceToPicture, m_deviceUnitsPerMm, m_objectCapacity);
        playEmfRecords(file, player);
        return;
    }
    // The window the header names fills the picture; the file's own mapping records may change it.
    GdiPlayer player(painter, scale, m_size, QTransform(), m_deviceUnitsPerMm, m_objectCapacity);
    DeviceContext &dc = player.dc();
    dc.mapMode = gdi::MM_ANISOTROPIC;
    dc.windowOrg = m_window.topLeft();
    dc.windowExt = QSizeF(m_window.width() == 0 ? 1 : m_window.width(), m_window.height() == 0 ? 1 : m_window.height());
    dc.viewportExt = QSizeF(m_size);
    playWmfRecords(file.from(m_recordsAt), player);
}

void Metafile::play(QPainter *painter, qreal scale) const
{
    try {
        playInto(painter, scale);
    } catch (const MetafileFault &) {
        // Cannot happen: read() played every record already. What was drawn stays.
    }
}

} // namespace kelvo::pictures
