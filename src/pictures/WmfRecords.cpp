#include "MetafileRecords.h"

#include "DibDecoder.h"
#include "GdiPlayer.h"
#include "MetafileText.h"
#include "PictureErrors.h"
#include "PictureLimits.h"

#include <QPolygonF>

namespace kelvo::pictures {

using namespace gdi;

namespace {

enum WmfFunction : quint16 {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_CREATEPALETTE = 0x00F7,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETPOLYFILLMODE = 0x0106,
    META_SETSTRETCHBLTMODE = 0x0107,
    META_RESTOREDC = 0x0127,
    META_INVERTREGION = 0x012A,
    META_PAINTREGION = 0x012B,
    META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D,
    META_SETVIEWPORTEXT = 0x020E,
    META_OFFSETWINDOWORG = 0x020F,
    META_OFFSETVIEWPORTORG = 0x0211,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_OFFSETCLIPRGN = 0x0220,
    META_FILLREGION = 0x0228,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_SCALEWINDOWEXT = 0x0410,
    META_SCALEVIEWPORTEXT = 0x0412,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_SETPIXEL = 0x041F,
    META_FRAMEREGION = 0x0429,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817,
    META_PIE = 0x081A,
    META_CHORD = 0x0830,
    META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32,
    META_DIBSTRETCHBLT = 0x0B41,
    META_SETDIBTODEV = 0x0D33,
    META_STRETCHDIB = 0x0F43,
};

// One record: its function and its parameters (the record less its six-byte head).
struct WmfRecord
{
    quint16 function;
    ByteReader params;
    qint64 words; // the record's size in 16-bit words
};

QPointF point(const ByteReader &p, qint64 yAt)
{
    return QPointF(p.i16(yAt + 2), p.i16(yAt)); // stored y first
}

// Rectangles are stored bottom, right, top, left.
QRectF rectFrom(const ByteReader &p, qint64 at)
{
    const qreal bottom = p.i16(at);
    const qreal right = p.i16(at + 2);
    const qreal top = p.i16(at + 4);
    const qreal left = p.i16(at + 6);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

LogFont readFont(const ByteReader &p)
{
    LogFont font;
    font.height = p.i16(0);
    font.width = p.i16(2);
    font.escapement = p.i16(4);
    font.weight = p.i16(8);
    font.italic = p.u8(10);
    font.underline = p.u8(11);
    font.strikeOut = p.u8(12);
    font.charSet = p.u8(13);
    // The face name is zero-terminated and may be cut short by the record.
    const qint64 available = std::min<qint64>(32, std::max<qint64>(0, p.size() - 18));
    QByteArrayView face = p.bytes(18, available);
    const qsizetype end = face.indexOf('\0');
    if (end >= 0)
        face.truncate(end);
    font.faceName = decodeMetafileText(face, DEFAULT_CHARSET, {});
    return font;
}

LogRegion readRegion(const ByteReader &p)
{
    LogRegion region;
    region.logicalUnits = true;
    const int scanCount = p.u16(10);
    qint64 at = 22;
    for (int scan = 0; scan < scanCount; ++scan) {
        const int count = p.u16(at);
        const qreal top = p.i16(at + 2);
        const qreal bottom = p.i16(at + 4);
        for (int i = 0; i + 1 < count; i += 2)
            region.rectangles.append(
                QRectF(QPointF(p.i16(at + 6 + 2 * i), top), QPointF(p.i16(at + 8 + 2 * i), bottom)));
        at += 6 + 2 * qint64(count) + 2;
    }
    if (scanCount == 0) // an empty scan list: the bounding rectangle alone
        region.rectangles.append(QRectF(QPointF(p.i16(14), p.i16(16)), QPointF(p.i16(18), p.i16(20))));
    return region;
}

void textOut(GdiPlayer &player, QPointF reference, QByteArrayView bytes, quint32 options, std::optional<QRectF> rect,
    QList<qreal> advances)
{
    const LogFont &font = player.dc().font;
    GdiPlayer::TextOut out { reference, decodeMetafileText(bytes, font.charSet, font.faceName), options, rect, {} };
    if (advances.size() >= out.text.size())
        out.advances = advances;
    player.textOut(out);
}

void extTextOut(GdiPlayer &player, const ByteReader &p)
{
    const QPointF reference = point(p, 0);
    const qint64 count = p.u16(4);
    const quint32 options = p.u16(6);
    qint64 at = 8;
    std::optional<QRectF> rect;
    if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
        rect = QRectF(QPointF(p.i16(8), p.i16(10)), QPointF(p.i16(12), p.i16(14)));
        at += 8;
    }
    const QByteArrayView bytes = p.bytes(at, count);
    at += count + count % 2;
    QList<qreal> advances;
    if (p.contains(at, 2 * count)) {
        for (qint64 i = 0; i < count; ++i)
            advances.append(p.i16(at + 2 * i));
    }
    textOut(player, reference, bytes, options, rect, advances);
}

// The source rectangle of a DIB in top-down pixels; StretchDIBits counts y from the bottom of
// a bottom-up bitmap.
QRectF dibSource(
    const ByteReader &dib, const QImage &image, qreal x, qreal y, qreal width, qreal height, bool fromBottom)
{
    if (fromBottom && isBottomUpDib(dib))
        y = image.height() - y - height;
    return QRectF(x, y, width, height);
}

void stretchDib(GdiPlayer &player, const WmfRecord &r)
{
    const ByteReader &p = r.params;
    const quint32 rop = p.u32(0);
    const DibColors colors = p.u16(4) == 1 ? DibColors::PaletteIndices : DibColors::Rgb;
    const ByteReader dib = p.from(22);
    const QImage image = decodePackedDib(dib, colors);
    const QRectF source = dibSource(dib, image, p.i16(12), p.i16(10), p.i16(8), p.i16(6), true);
    const QRectF destination(p.i16(20), p.i16(18), p.i16(16), p.i16(14));
    player.drawBitmap(image, destination, source, rop);
}

void dibStretchBlt(GdiPlayer &player, const WmfRecord &r)
{
    const ByteReader &p = r.params;
    const quint32 rop = p.u32(0);
    const bool withBitmap = r.words != (r.function >> 8) + 3;
    if (!withBitmap) {
        player.patBlt(QRectF(p.i16(20), p.i16(18), p.i16(16), p.i16(14)), rop); // after a reserved word
        return;
    }
    const ByteReader dib = p.from(20);
    const QImage image = decodePackedDib(dib);
    const QRectF source(p.i16(10), p.i16(8), p.i16(6), p.i16(4));
    player.drawBitmap(image, QRectF(p.i16(18), p.i16(16), p.i16(14), p.i16(12)), source, rop);
}

void dibBitBlt(GdiPlayer &player, const WmfRecord &r)
{
    const ByteReader &p = r.params;
    const quint32 rop = p.u32(0);
    const bool withBitmap = r.words != (r.function >> 8) + 3;
    if (!withBitmap) {
        player.patBlt(QRectF(p.i16(16), p.i16(14), p.i16(12), p.i16(10)), rop);
        return;
    }
    const qreal height = p.i16(8);
    const qreal width = p.i16(10);
    const QImage image = decodePackedDib(p.from(16));
    player.drawBitmap(
        image, QRectF(p.i16(14), p.i16(12), width, height), QRectF(p.i16(6), p.i16(4), width, height), rop);
}

void setDibToDevice(GdiPlayer &player, const WmfRecord &r)
{
    const ByteReader &p = r.params;
    const DibColors colors = p.u16(0) == 1 ? DibColors::PaletteIndices : DibColors::Rgb;
    const ByteReader dib = p.from(18);
    const QImage image = decodePackedDib(dib, colors);
    const qreal width = p.i16(12);
    const qreal height = p.i16(10);
    const QRectF source = dibSource(dib, image, p.i16(8), p.i16(6), width, height, true);
    player.drawBitmap(image, QRectF(p.i16(16), p.i16(14), width, height), source, SRCCOPY);
}

void playRecord(GdiPlayer &player, const WmfRecord &r)
{
    const ByteReader &p = r.params;
    DeviceContext &dc = player.dc();
    switch (r.function) {
    case META_SETBKCOLOR:
        dc.backgroundColor = colorRef(p.u32(0));
        break;
    case META_SETBKMODE:
        dc.backgroundMode = p.u16(0) == TRANSPARENT ? TRANSPARENT : OPAQUE;
        break;
    case META_SETMAPMODE:
        player.setMapMode(p.u16(0));
        break;
    case META_SETPOLYFILLMODE:
        dc.polyFillMode = p.u16(0) == WINDING ? WINDING : ALTERNATE;
        break;
    case META_SETSTRETCHBLTMODE:
        dc.stretchMode = p.u16(0);
        break;
    case META_SETTEXTCOLOR:
        dc.textColor = colorRef(p.u32(0));
        break;
    case META_SETTEXTALIGN:
        dc.textAlign = p.u16(0);
        break;
    case META_SETWINDOWORG:
        player.setWindowOrg(point(p, 0));
        break;
    case META_SETWINDOWEXT:
        player.setWindowExt(QSizeF(p.i16(2), p.i16(0)));
        break;
    case META_SETVIEWPORTORG:
        player.setViewportOrg(point(p, 0));
        break;
    case META_SETVIEWPORTEXT:
        player.setViewportExt(QSizeF(p.i16(2), p.i16(0)));
        break;
    case META_OFFSETWINDOWORG:
        player.setWindowOrg(dc.windowOrg + point(p, 0));
        break;
    case META_OFFSETVIEWPORTORG:
        player.setViewportOrg(dc.viewportOrg + point(p, 0));
        break;
    case META_SCALEWINDOWEXT:
        player.scaleWindowExt(p.i16(6), p.i16(4), p.i16(2), p.i16(0));
        break;
    case META_SCALEVIEWPORTEXT:
        player.scaleViewportExt(p.i16(6), p.i16(4), p.i16(2), p.i16(0));
        break;
    case META_SAVEDC:
        player.saveDC();
        break;
    case META_RESTOREDC:
        player.restoreDC(p.i16(0));
        break;

    case META_CREATEPENINDIRECT:
        player.createObject(LogPen { p.u16(0), qreal(p.i16(2)), colorRef(p.u32(6)), false, {} });
        break;
    case META_CREATEBRUSHINDIRECT:
        player.createObject(LogBrush { p.u16(0), colorRef(p.u32(2)), p.u16(6), {} });
        break;
    case META_CREATEFONTINDIRECT:
        player.createObject(readFont(p));
        break;
    case META_DIBCREATEPATTERNBRUSH: {
        LogBrush brush { BS_DIBPATTERNPT, QColor(0x80, 0x80, 0x80), 0, {} };
        if (p.u16(0) != BS_PATTERN) // BS_PATTERN holds a device-dependent bitmap we do not read
            brush.pattern = decodePackedDib(p.from(4), p.u16(2) == 1 ? DibColors::PaletteIndices : DibColors::Rgb);
        player.createObject(brush);
        break;
    }
    case META_CREATEPATTERNBRUSH:
        player.createObject(LogBrush { BS_SOLID, QColor(0x80, 0x80, 0x80), 0, {} });
        break;
    case META_CREATEREGION:
        player.createObject(readRegion(p));
        break;
    case META_CREATEPALETTE:
        player.createObject(OtherObject {});
        break;
    case META_SELECTOBJECT:
        player.selectObject(p.u16(0));
        break;
    case META_DELETEOBJECT:
        player.deleteObject(p.u16(0));
        break;

    case META_MOVETO:
        player.moveTo(point(p, 0));
        break;
    case META_LINETO:
        player.lineTo(point(p, 0));
        break;
    case META_POLYLINE:
        player.polyline(readPoints16(p, 2, p.u16(0)));
        break;
    case META_POLYGON:
        player.polygon(readPoints16(p, 2, p.u16(0)));
        break;
    case META_POLYPOLYGON: {
        const int polygonCount = p.u16(0);
        qint64 at = 2 + 2 * qint64(polygonCount);
        QList<QPolygonF> polygons;
        for (int i = 0; i < polygonCount; ++i) {
            const int count = p.u16(2 + 2 * i);
            polygons.append(readPoints16(p, at, count));
            at += 4 * qint64(count);
        }
        player.polyPolygon(polygons);
        break;
    }
    case META_RECTANGLE:
        player.rectangle(rectFrom(p, 0));
        break;
    case META_ROUNDRECT:
        player.roundRect(rectFrom(p, 4), QSizeF(p.i16(2), p.i16(0)));
        break;
    case META_ELLIPSE:
        player.ellipse(rectFrom(p, 0));
        break;
    case META_ARC:
    case META_PIE:
    case META_CHORD: {
        const auto kind = r.function == META_ARC ? GdiPlayer::ArcKind::Arc
            : r.function == META_PIE             ? GdiPlayer::ArcKind::Pie
                                                 : GdiPlayer::ArcKind::Chord;
        player.arc(kind, rectFrom(p, 8), point(p, 4), point(p, 0));
        break;
    }
    case META_SETPIXEL:
        player.setPixel(point(p, 4), colorRef(p.u32(0)));
        break;

    case META_TEXTOUT: {
        const qint64 count = p.u16(0);
        const qint64 pointAt = 2 + count + count % 2;
        textOut(player, point(p, pointAt), p.bytes(2, count), 0, std::nullopt, {});
        break;
    }
    case META_EXTTEXTOUT:
        extTextOut(player, p);
        break;

    case META_EXCLUDECLIPRECT:
        player.excludeClipRect(rectFrom(p, 0));
        break;
    case META_INTERSECTCLIPRECT:
        player.intersectClipRect(rectFrom(p, 0));
        break;
    case META_OFFSETCLIPRGN:
        player.offsetClip(point(p, 0));
        break;
    case META_SELECTCLIPREGION: {
        const Object *object = player.object(p.u16(0));
        if (const auto *region = object ? std::get_if<LogRegion>(object) : nullptr)
            player.selectClipRegion(*region, RGN_COPY);
        else
            player.selectClipRegion(QList<QRectF> {}, RGN_COPY);
        break;
    }
    case META_FILLREGION:
    case META_PAINTREGION: {
        const Object *regionObject = player.object(p.u16(0));
        const auto *region = regionObject ? std::get_if<LogRegion>(regionObject) : nullptr;
        LogBrush brush = dc.brush;
        if (r.function == META_FILLREGION) {
            const Object *brushObject = player.object(p.u16(2));
            const auto *found = brushObject ? std::get_if<LogBrush>(brushObject) : nullptr;
            if (!found)
                break;
            brush = *found;
        }
        if (region)
            player.fillRegion(*region, brush);
        break;
    }

    case META_PATBLT:
        player.patBlt(QRectF(p.i16(10), p.i16(8), p.i16(6), p.i16(4)), p.u32(0));
        break;
    case META_STRETCHDIB:
        stretchDib(player, r);
        break;
    case META_DIBSTRETCHBLT:
        dibStretchBlt(player, r);
        break;
    case META_DIBBITBLT:
        dibBitBlt(player, r);
        break;
    case META_SETDIBTODEV:
        setDibToDevice(player, r);
        break;
    default:
        break; // records that do not change the picture, or that we do not know
    }
}

// Walks the records, checking each one's size against the file; returns at the end record.
template <typename Visit> void forEachRecord(const ByteReader &records, Visit visit)
{
    qint64 at = 0;
    qint64 count = 0;
    while (at < records.size()) {
        if (++count > MaxRecords)
            fail();
        const qint64 words = records.u32(at);
        const quint16 function = records.u16(at + 4);
        if (words < 3 || !records.contains(at, 2 * words))
            fail();
        if (function == META_EOF)
            return;
        visit(WmfRecord { function, records.sub(at + 6, 2 * words - 6), words });
        at += 2 * words;
    }
}

} // namespace

QPolygonF readPoints16(const ByteReader &reader, qint64 offset, qint64 count)
{
    if (!reader.contains(offset, 4 * count))
        fail();
    QPolygonF points;
    points.reserve(count);
    for (qint64 i = 0; i < count; ++i)
        points.append(QPointF(reader.i16(offset + 4 * i), reader.i16(offset + 4 * i + 2)));
    return points;
}

QPolygonF readPoints32(const ByteReader &reader, qint64 offset, qint64 count)
{
    if (!reader.contains(offset, 8 * count))
        fail();
    QPolygonF points;
    points.reserve(count);
    for (qint64 i = 0; i < count; ++i)
        points.append(QPointF(reader.i32(offset + 8 * i), reader.i32(offset + 8 * i + 4)));
    return points;
}

void playWmfRecords(const ByteReader &records, GdiPlayer &player)
{
    forEachRecord(records, [&](const WmfRecord &record) { playRecord(player, record); });
}

std::optional<QRectF> findWmfWindow(const ByteReader &records)
{
    std::optional<QPointF> origin;
    std::optional<QSizeF> extent;
    forEachRecord(records, [&](const WmfRecord &r) {
        if (r.function == META_SETWINDOWORG && !origin)
            origin = point(r.params, 0);
        else if (r.function == META_SETWINDOWEXT && !extent && r.params.i16(0) != 0 && r.params.i16(2) != 0)
            extent = QSizeF(r.params.i16(2), r.params.i16(0));
    });
    if (!extent)
        return std::nullopt;
    return QRectF(origin.value_or(QPointF()), *extent);
}

} // namespace kelvo::pictures
