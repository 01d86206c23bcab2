#include "MetafileRecords.h"

#include "DibDecoder.h"
#include "GdiPlayer.h"
#include "MetafileText.h"
#include "PictureErrors.h"
#include "PictureLimits.h"

#include <QPolygonF>

#include <cmath>

namespace kelvo::pictures {

using namespace gdi;

namespace {

enum EmfType : quint32 {
    EMR_HEADER = 1,
    EMR_POLYBEZIER = 2,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETPIXELV = 15,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETSTRETCHBLTMODE = 21,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_OFFSETCLIPRGN = 26,
    EMR_MOVETOEX = 27,
    EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_CREATEPALETTE = 49,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_SETARCDIRECTION = 57,
    EMR_SETMITERLIMIT = 58,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63,
    EMR_STROKEPATH = 64,
    EMR_SELECTCLIPPATH = 67,
    EMR_ABORTPATH = 68,
    EMR_FILLRGN = 71,
    EMR_PAINTRGN = 74,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77,
    EMR_SETDIBITSTODEVICE = 80,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88,
    EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
    EMR_CREATEMONOBRUSH = 93,
    EMR_CREATEDIBPATTERNBRUSHPT = 94,
    EMR_EXTCREATEPEN = 95,
    EMR_CREATECOLORSPACE = 99,
    EMR_SMALLTEXTOUT = 108,
    EMR_ALPHABLEND = 114,
    EMR_TRANSPARENTBLT = 116,
    EMR_CREATECOLORSPACEW = 122,
};

QPointF pointAt(const ByteReader &r, qint64 at)
{
    return QPointF(r.i32(at), r.i32(at + 4));
}

QRectF rectAt(const ByteReader &r, qint64 at)
{
    return QRectF(QPointF(r.i32(at), r.i32(at + 4)), QPointF(r.i32(at + 8), r.i32(at + 12)));
}

QTransform transformAt(const ByteReader &r, qint64 at)
{
    return QTransform(r.f32(at), r.f32(at + 4), r.f32(at + 8), r.f32(at + 12), r.f32(at + 16), r.f32(at + 20));
}

QPolygonF pointsOf(const ByteReader &r, bool small)
{
    const qint64 count = r.u32(24);
    return small ? readPoints16(r, 28, count) : readPoints32(r, 28, count);
}

QList<QPolygonF> polyPointsOf(const ByteReader &r, bool small)
{
    const qint64 polygonCount = r.u32(24);
    const qint64 total = r.u32(28);
    if (!r.contains(32, 4 * polygonCount))
        fail();
    qint64 at = 32 + 4 * polygonCount;
    qint64 sum = 0;
    QList<QPolygonF> polygons;
    for (qint64 i = 0; i < polygonCount; ++i) {
        const qint64 count = r.u32(32 + 4 * i);
        sum += count;
        if (sum > total)
            fail();
        polygons.append(small ? readPoints16(r, at, count) : readPoints32(r, at, count));
        at += count * (small ? 4 : 8);
    }
    return polygons;
}

// RGNDATA: a 32-byte header, then its rectangles.
QList<QRectF> regionRects(const ByteReader &data)
{
    const qint64 headerSize = data.u32(0);
    const qint64 count = data.u32(8);
    if (headerSize < 32 || !data.contains(headerSize, 16 * count))
        fail();
    QList<QRectF> rects;
    rects.reserve(count);
    for (qint64 i = 0; i < count; ++i)
        rects.append(rectAt(data, headerSize + 16 * i));
    return rects;
}

QImage bitmapOf(const ByteReader &r, qint64 fieldsAt, DibColors colors, DibAlpha alpha = DibAlpha::Ignore)
{
    const qint64 offInfo = r.u32(fieldsAt);
    const qint64 infoSize = r.u32(fieldsAt + 4);
    const qint64 offBits = r.u32(fieldsAt + 8);
    const qint64 bitsSize = r.u32(fieldsAt + 12);
    if (infoSize == 0)
        return {};
    return decodeDib(r.sub(offInfo, infoSize), r.sub(offBits, bitsSize), colors, alpha);
}

// UTF-16 text read unit by unit: the file gives no alignment.
QString utf16At(const ByteReader &r, qint64 at, qint64 count)
{
    r.bytes(at, 2 * count); // checks the whole range first
    QString text(count, Qt::Uninitialized);
    for (qint64 i = 0; i < count; ++i)
        text[i] = QChar(r.u16(at + 2 * i));
    return text;
}

LogFont readFont(const ByteReader &r)
{
    LogFont font;
    font.height = r.i32(12);
    font.width = r.i32(16);
    font.escapement = r.i32(20);
    font.weight = r.i32(28);
    font.italic = r.u8(32);
    font.underline = r.u8(33);
    font.strikeOut = r.u8(34);
    font.charSet = r.u8(35);
    QString name = utf16At(r, 40, 32);
    const qsizetype end = name.indexOf(QChar(0));
    if (end >= 0)
        name.truncate(end);
    font.faceName = name;
    return font;
}

LogPen readExtPen(const ByteReader &r)
{
    LogPen pen;
    pen.extended = true;
    pen.style = r.u32(28);
    pen.width = r.u32(32);
    const quint32 brushStyle = r.u32(36);
    pen.color = colorRef(r.u32(40));
    if (brushStyle == BS_NULL)
        pen.style = (pen.style & ~PS_STYLE_MASK) | PS_NULL;
    const qint64 entries = r.u32(48);
    if ((pen.style & PS_STYLE_MASK) == PS_USERSTYLE) {
        for (qint64 i = 0; i < std::min<qint64>(entries, 16); ++i)
            pen.userDashes.append(r.u32(52 + 4 * i));
    }
    return pen;
}

void textOut(GdiPlayer &player, const ByteReader &r, bool wide)
{
    const QPointF reference = pointAt(r, 36);
    const qint64 count = r.u32(44);
    const qint64 offString = r.u32(48);
    const quint32 options = r.u32(52);
    const QRectF rect = rectAt(r, 56);
    const qint64 offDx = r.u32(72);
    GdiPlayer::TextOut out;
    out.reference = reference;
    out.options = options;
    if (options & (ETO_OPAQUE | ETO_CLIPPED))
        out.rect = rect;
    if (wide) {
        out.text = utf16At(r, offString, count);
        while (out.text.endsWith(QChar(0)))
            out.text.chop(1);
    } else {
        const LogFont &font = player.dc().font;
        out.text = decodeMetafileText(r.bytes(offString, count), font.charSet, font.faceName);
    }
    const int step = options & ETO_PDY ? 8 : 4;
    if (offDx != 0 && r.contains(offDx, step * count)) {
        for (qint64 i = 0; i < count; ++i)
            out.advances.append(r.i32(offDx + step * i));
    }
    player.textOut(out);
}

// EMR_SMALLTEXTOUT: a reference point, the text, and a clipping rectangle unless ETO_NO_RECT;
// its characters are bytes with ETO_SMALL_CHARS, else UTF-16.
void smallTextOut(GdiPlayer &player, const ByteReader &r)
{
    constexpr quint32 NoRect = 0x100;
    constexpr quint32 SmallChars = 0x200;
    GdiPlayer::TextOut out;
    out.reference = pointAt(r, 8);
    const qint64 count = r.u32(16);
    out.options = r.u32(20);
    qint64 at = 36;
    if (!(out.options & NoRect)) {
        if (out.options & (ETO_OPAQUE | ETO_CLIPPED))
            out.rect = rectAt(r, at);
        at += 16;
    }
    if (out.options & SmallChars) {
        const LogFont &font = player.dc().font;
        out.text = decodeMetafileText(r.bytes(at, count), font.charSet, font.faceName);
    } else {
        out.text = utf16At(r, at, count);
    }
    player.textOut(out);
}

void bitBlt(GdiPlayer &player, const ByteReader &r, quint32 type)
{
    const QRectF destination(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
    const quint32 rop = r.u32(40);
    const QPointF sourceAt = pointAt(r, 44);
    const bool stretch = type != EMR_BITBLT;
    const QSizeF sourceSize = stretch ? QSizeF(r.i32(100), r.i32(104)) : destination.size();
    const DibColors colors = r.u32(80) == 1 ? DibColors::PaletteIndices : DibColors::Rgb;
    if (r.u32(88) == 0) { // no bitmap: a pattern fill
        player.patBlt(destination, rop);
        return;
    }
    if (type == EMR_ALPHABLEND) {
        // BLENDFUNCTION: operation, flags, constant alpha, alpha format (1: per-pixel alpha).
        const qreal opacity = ((rop >> 16) & 0xFF) / 255.0;
        const bool perPixel = (rop >> 24) & 0x01;
        const QImage image = bitmapOf(r, 84, colors, perPixel ? DibAlpha::Premultiplied : DibAlpha::Ignore);
        player.drawBitmap(image, destination, QRectF(sourceAt, sourceSize), SRCCOPY, opacity);
        return;
    }
    QImage image = bitmapOf(r, 84, colors);
    if (type == EMR_TRANSPARENTBLT) {
        image = withColorLeftOut(image, colorRef(rop).rgb());
        player.drawBitmap(image, destination, QRectF(sourceAt, sourceSize), SRCCOPY);
        return;
    }
    player.drawBitmap(image, destination, QRectF(sourceAt, sourceSize), rop);
}

void stretchDibits(GdiPlayer &player, const ByteReader &r, quint32 type)
{
    const qint64 fieldsAt = 48;
    const DibColors colors = r.u32(64) == 1 ? DibColors::PaletteIndices : DibColors::Rgb;
    const QImage image = bitmapOf(r, fieldsAt, colors);
    if (image.isNull())
        return;
    qreal sourceY = r.i32(36);
    const QSizeF sourceSize(r.i32(40), r.i32(44));
    if (isBottomUpDib(r.sub(r.u32(fieldsAt), r.u32(fieldsAt + 4))))
        sourceY = image.height() - sourceY - sourceSize.height();
    const QRectF source(QPointF(r.i32(32), sourceY), sourceSize);
    if (type == EMR_STRETCHDIBITS)
        player.drawBitmap(image, QRectF(r.i32(24), r.i32(28), r.i32(72), r.i32(76)), source, r.u32(68));
    else
        player.drawBitmap(image, QRectF(QPointF(r.i32(24), r.i32(28)), sourceSize), source, SRCCOPY);
}

void playRecord(GdiPlayer &player, quint32 type, const ByteReader &r)
{
    DeviceContext &dc = player.dc();
    switch (type) {
    case EMR_SETWINDOWEXTEX:
        player.setWindowExt(QSizeF(r.i32(8), r.i32(12)));
        break;
    case EMR_SETWINDOWORGEX:
        player.setWindowOrg(pointAt(r, 8));
        break;
    case EMR_SETVIEWPORTEXTEX:
        player.setViewportExt(QSizeF(r.i32(8), r.i32(12)));
        break;
    case EMR_SETVIEWPORTORGEX:
        player.setViewportOrg(pointAt(r, 8));
        break;
    case EMR_SCALEVIEWPORTEXTEX:
        player.scaleViewportExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20));
        break;
    case EMR_SCALEWINDOWEXTEX:
        player.scaleWindowExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20));
        break;
    case EMR_SETMAPMODE:
        player.setMapMode(int(r.u32(8)));
        break;
    case EMR_SETBKMODE:
        dc.backgroundMode = r.u32(8) == TRANSPARENT ? TRANSPARENT : OPAQUE;
        break;
    case EMR_SETPOLYFILLMODE:
        dc.polyFillMode = r.u32(8) == WINDING ? WINDING : ALTERNATE;
        break;
    case EMR_SETSTRETCHBLTMODE:
        dc.stretchMode = int(r.u32(8));
        break;
    case EMR_SETTEXTALIGN:
        dc.textAlign = r.u32(8);
        break;
    case EMR_SETTEXTCOLOR:
        dc.textColor = colorRef(r.u32(8));
        break;
    case EMR_SETBKCOLOR:
        dc.backgroundColor = colorRef(r.u32(8));
        break;
    case EMR_SETARCDIRECTION:
        dc.clockwiseArcs = r.u32(8) == 2;
        break;
    case EMR_SETMITERLIMIT:
        dc.miterLimit = r.u32(8);
        break;
    case EMR_SAVEDC:
        player.saveDC();
        break;
    case EMR_RESTOREDC:
        player.restoreDC(r.i32(8));
        break;
    case EMR_SETWORLDTRANSFORM:
        player.setWorldTransform(transformAt(r, 8));
        break;
    case EMR_MODIFYWORLDTRANSFORM:
        switch (r.u32(32)) {
        case 1:
            player.setWorldTransform(QTransform());
            break;
        case 2:
            player.modifyWorldTransform(transformAt(r, 8), GdiPlayer::Multiply::Left);
            break;
        case 3:
            player.modifyWorldTransform(transformAt(r, 8), GdiPlayer::Multiply::Right);
            break;
        case 4:
            player.setWorldTransform(transformAt(r, 8));
            break;
        default:
            break;
        }
        break;

    case EMR_CREATEPEN:
        player.createObjectAt(r.u32(8), LogPen { r.u32(12), qreal(r.i32(16)), colorRef(r.u32(24)), false, {} });
        break;
    case EMR_EXTCREATEPEN:
        player.createObjectAt(r.u32(8), readExtPen(r));
        break;
    case EMR_CREATEBRUSHINDIRECT:
        player.createObjectAt(r.u32(8), LogBrush { r.u32(12), colorRef(r.u32(16)), r.u32(20), {} });
        break;
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_CREATEMONOBRUSH: {
        const DibColors colors = r.u32(12) == 1 ? DibColors::PaletteIndices : DibColors::Rgb;
        player.createObjectAt(
            r.u32(8), LogBrush { BS_DIBPATTERNPT, QColor(0x80, 0x80, 0x80), 0, bitmapOf(r, 16, colors) });
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW:
        player.createObjectAt(r.u32(8), readFont(r));
        break;
    case EMR_CREATEPALETTE:
    case EMR_CREATECOLORSPACE:
    case EMR_CREATECOLORSPACEW:
        player.createObjectAt(r.u32(8), OtherObject {});
        break;
    case EMR_SELECTOBJECT:
        player.selectObject(r.u32(8));
        break;
    case EMR_DELETEOBJECT:
        player.deleteObject(r.u32(8));
        break;

    case EMR_MOVETOEX:
        player.moveTo(pointAt(r, 8));
        break;
    case EMR_LINETO:
        player.lineTo(pointAt(r, 8));
        break;
    case EMR_POLYLINE:
    case EMR_POLYLINE16:
        player.polyline(pointsOf(r, type == EMR_POLYLINE16));
        break;
    case EMR_POLYLINETO:
    case EMR_POLYLINETO16:
        player.polylineTo(pointsOf(r, type == EMR_POLYLINETO16));
        break;
    case EMR_POLYGON:
    case EMR_POLYGON16:
        player.polygon(pointsOf(r, type == EMR_POLYGON16));
        break;
    case EMR_POLYBEZIER:
    case EMR_POLYBEZIER16:
        player.polyBezier(pointsOf(r, type == EMR_POLYBEZIER16));
        break;
    case EMR_POLYBEZIERTO:
    case EMR_POLYBEZIERTO16:
        player.polyBezierTo(pointsOf(r, type == EMR_POLYBEZIERTO16));
        break;
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYLINE16:
        player.polyPolyline(polyPointsOf(r, type == EMR_POLYPOLYLINE16));
        break;
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYGON16:
        player.polyPolygon(polyPointsOf(r, type == EMR_POLYPOLYGON16));
        break;
    case EMR_RECTANGLE:
        player.rectangle(rectAt(r, 8));
        break;
    case EMR_ROUNDRECT:
        player.roundRect(rectAt(r, 8), QSizeF(r.i32(24), r.i32(28)));
        break;
    case EMR_ELLIPSE:
        player.ellipse(rectAt(r, 8));
        break;
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE:
    case EMR_ARCTO: {
        const auto kind = type == EMR_ARC ? GdiPlayer::ArcKind::Arc
            : type == EMR_CHORD           ? GdiPlayer::ArcKind::Chord
            : type == EMR_PIE             ? GdiPlayer::ArcKind::Pie
                                          : GdiPlayer::ArcKind::ArcTo;
        player.arc(kind, rectAt(r, 8), pointAt(r, 24), pointAt(r, 32));
        break;
    }
    case EMR_SETPIXELV:
        player.setPixel(pointAt(r, 8), colorRef(r.u32(16)));
        break;

    case EMR_BEGINPATH:
        player.beginPath();
        break;
    case EMR_ENDPATH:
        player.endPath();
        break;
    case EMR_CLOSEFIGURE:
        player.closeFigure();
        break;
    case EMR_FILLPATH:
        player.fillPath();
        break;
    case EMR_STROKEPATH:
        player.strokePath();
        break;
    case EMR_STROKEANDFILLPATH:
        player.strokeAndFillPath();
        break;
    case EMR_ABORTPATH:
        player.abortPath();
        break;
    case EMR_SELECTCLIPPATH:
        player.selectClipPath(int(r.u32(8)));
        break;

    case EMR_EXCLUDECLIPRECT:
        player.excludeClipRect(rectAt(r, 8));
        break;
    case EMR_INTERSECTCLIPRECT:
        player.intersectClipRect(rectAt(r, 8));
        break;
    case EMR_OFFSETCLIPRGN:
        player.offsetClip(pointAt(r, 8));
        break;
    case EMR_EXTSELECTCLIPRGN: {
        const qint64 size = r.u32(8);
        const int mode = int(r.u32(12));
        player.selectClipRegion(size == 0 ? QList<QRectF> {} : regionRects(r.sub(16, size)), mode);
        break;
    }
    case EMR_FILLRGN: {
        const Object *object = player.object(r.u32(28));
        const auto *brush = object ? std::get_if<LogBrush>(object) : nullptr;
        if (brush)
            player.fillRegion(LogRegion { regionRects(r.sub(32, r.u32(24))), false }, *brush);
        break;
    }
    case EMR_PAINTRGN:
        player.fillRegion(LogRegion { regionRects(r.sub(28, r.u32(24))), false }, dc.brush);
        break;

    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW:
        textOut(player, r, type == EMR_EXTTEXTOUTW);
        break;
    case EMR_SMALLTEXTOUT:
        smallTextOut(player, r);
        break;

    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT:
        bitBlt(player, r, type);
        break;
    case EMR_STRETCHDIBITS:
    case EMR_SETDIBITSTODEVICE:
        stretchDibits(player, r, type);
        break;
    default:
        break; // comments (and the EMF+ records inside them), palettes, and records we do not know
    }
}

} // namespace

void playEmfRecords(const ByteReader &file, GdiPlayer &player)
{
    qint64 at = 0;
    qint64 count = 0;
    while (at < file.size()) {
        if (++count > MaxRecords)
            fail();
        const quint32 type = file.u32(at);
        const qint64 size = file.u32(at + 4);
        if (size < 8 || size % 4 != 0 || !file.contains(at, size))
            fail();
        if (type == EMR_EOF)
            return;
        if (type != EMR_HEADER)
            playRecord(player, type, file.sub(at, size));
        at += size;
    }
}

} // namespace kelvo::pictures
