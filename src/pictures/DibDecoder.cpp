#include "DibDecoder.h"

#include "PictureErrors.h"
#include "PictureLimits.h"

#include <QList>

#include <algorithm>
#include <array>
#include <bit>

namespace kelvo::pictures {

namespace {

enum Compression : quint32 {
    BiRgb = 0,
    BiRle8 = 1,
    BiRle4 = 2,
    BiBitfields = 3,
    BiAlphaBitfields = 6,
};

struct DibHeader
{
    qint64 width = 0;
    qint64 height = 0; // always positive; topDown tells the row order
    bool topDown = false;
    int bitCount = 0;
    quint32 compression = BiRgb;
    qint64 colorCount = 0; // entries of the colour table
    int colorEntrySize = 4; // RGBQUAD, or RGBTRIPLE for the old core header
    qint64 tableOffset = 0; // where the colour table starts (after the header and any masks)
    std::array<quint32, 4> masks {}; // red, green, blue, alpha
};

DibHeader readHeader(const ByteReader &info, DibColors colors)
{
    DibHeader h;
    const quint32 headerSize = info.u32(0);
    if (headerSize == 12) {
        h.width = info.u16(4);
        h.height = info.u16(6);
        h.bitCount = info.u16(10);
        h.colorEntrySize = 3;
        h.tableOffset = 12;
    } else {
        if (headerSize < 40 || headerSize > quint32(info.size()))
            fail();
        h.width = info.i32(4);
        const qint64 height = info.i32(8);
        h.topDown = height < 0;
        h.height = height < 0 ? -height : height;
        h.bitCount = info.u16(14);
        h.compression = info.u32(16);
        h.colorCount = info.u32(32);
        h.tableOffset = headerSize;
        if (h.compression == BiBitfields || h.compression == BiAlphaBitfields) {
            const int maskCount = h.compression == BiAlphaBitfields ? 4 : 3;
            // Version 2+ headers hold the masks themselves; the plain 40-byte one is followed by them.
            const qint64 masksAt = 40;
            for (int i = 0; i < maskCount; ++i)
                h.masks[i] = info.u32(masksAt + 4 * i);
            if (headerSize == 40)
                h.tableOffset += 4 * maskCount;
        }
    }
    if (h.width <= 0 || h.height <= 0 || h.width > MaxBitmapSide || h.height > MaxBitmapSide
        || h.width * h.height > MaxBitmapPixels)
        fail();
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
        if (h.colorCount == 0)
            h.colorCount = 1 << h.bitCount;
        break;
    case 16:
    case 24:
    case 32:
        break;
    default:
        fail();
    }
    if (h.colorCount > 65536)
        fail();
    if (colors == DibColors::PaletteIndices)
        h.colorEntrySize = 2;
    return h;
}

QList<QRgb> readColorTable(const ByteReader &info, const DibHeader &h, DibColors colors)
{
    QList<QRgb> table;
    if (h.bitCount > 8)
        return table;
    table.reserve(h.colorCount);
    for (qint64 i = 0; i < h.colorCount; ++i) {
        const qint64 at = h.tableOffset + i * h.colorEntrySize;
        if (colors == DibColors::PaletteIndices) {
            // Without the logical palette, show the indices as grey levels (0 black).
            const int level = h.colorCount <= 1 ? 0 : int(i * 255 / (h.colorCount - 1));
            table.append(qRgb(level, level, level));
            info.u16(at);
        } else {
            table.append(qRgb(info.u8(at + 2), info.u8(at + 1), info.u8(at)));
        }
    }
    return table;
}

QRgb tableColor(const QList<QRgb> &table, int index)
{
    return index < table.size() ? table[index] : qRgb(0, 0, 0);
}

int channel(quint32 pixel, quint32 mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const quint32 max = mask >> shift;
    return int(((pixel & mask) >> shift) * 255 / max);
}

void decodeRows(QImage &image, const DibHeader &h, const QList<QRgb> &table, const ByteReader &bits, DibAlpha alpha)
{
    const qint64 stride = ((h.width * h.bitCount + 31) / 32) * 4;
    if (!bits.contains(0, stride * h.height))
        fail();
    std::array<quint32, 4> masks = h.masks;
    const bool fields = h.compression == BiBitfields || h.compression == BiAlphaBitfields;
    if (!fields && h.bitCount == 16)
        masks = { 0x7C00, 0x03E0, 0x001F, 0 };
    if (!fields && h.bitCount == 32)
        masks = { 0x00FF0000, 0x0000FF00, 0x000000FF, alpha == DibAlpha::Premultiplied ? 0xFF000000 : 0 };
    const QByteArrayView data = bits.bytes(0, stride * h.height);
    for (qint64 row = 0; row < h.height; ++row) {
        const auto *line = reinterpret_cast<const uchar *>(data.data()) + row * stride;
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(int(h.topDown ? row : h.height - 1 - row)));
        for (qint64 x = 0; x < h.width; ++x) {
            switch (h.bitCount) {
            case 1:
                out[x] = tableColor(table, (line[x / 8] >> (7 - x % 8)) & 1);
                break;
            case 4:
                out[x] = tableColor(table, (line[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F);
                break;
            case 8:
                out[x] = tableColor(table, line[x]);
                break;
            case 24:
                out[x] = qRgb(line[3 * x + 2], line[3 * x + 1], line[3 * x]);
                break;
            default: {
                const quint32 pixel = h.bitCount == 16 ? quint32(line[2 * x] | line[2 * x + 1] << 8)
                                                       : quint32(line[4 * x]) | quint32(line[4 * x + 1]) << 8
                        | quint32(line[4 * x + 2]) << 16 | quint32(line[4 * x + 3]) << 24;
                const int a = masks[3] ? channel(pixel, masks[3]) : 255;
                // Premultiplied data may not have a channel above its alpha.
                auto c = [&](quint32 mask) { return std::min(channel(pixel, mask), a); };
                out[x] = qRgba(c(masks[0]), c(masks[1]), c(masks[2]), a);
            }
            }
        }
    }
}

// Run-length encoded rows (RLE8 and RLE4). Pixels the data skips stay transparent.
void decodeRunLength(QImage &image, const DibHeader &h, const QList<QRgb> &table, const ByteReader &bits)
{
    image.fill(Qt::transparent);
    const bool nibbles = h.compression == BiRle4;
    qint64 x = 0;
    qint64 y = 0;
    auto put = [&](int index) {
        if (x < h.width && y < h.height) {
            const int row = int(h.topDown ? y : h.height - 1 - y);
            reinterpret_cast<QRgb *>(image.scanLine(row))[x] = tableColor(table, index);
        }
        ++x;
    };
    qint64 pos = 0;
    while (pos + 1 < bits.size() && y < h.height) {
        const int count = bits.u8(pos);
        const int value = bits.u8(pos + 1);
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(nibbles ? (i % 2 ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // delta
            x += bits.u8(pos);
            y += bits.u8(pos + 1);
            pos += 2;
        } else { // absolute run of `value` pixels, padded to a 16-bit boundary
            const qint64 bytes = nibbles ? (value + 1) / 2 : value;
            const ByteReader run = bits.sub(pos, bytes);
            for (int i = 0; i < value; ++i)
                put(nibbles ? (i % 2 ? run.u8(i / 2) & 0x0F : run.u8(i / 2) >> 4) : run.u8(i));
            pos += bytes + (bytes % 2);
        }
    }
}

} // namespace

QImage decodeDib(const ByteReader &info, const ByteReader &bits, DibColors colors, DibAlpha alpha)
{
    const DibHeader h = readHeader(info, colors);
    const QList<QRgb> table = readColorTable(info, h, colors);
    switch (h.compression) {
    case BiRgb:
    case BiBitfields:
    case BiAlphaBitfields:
    case BiRle8:
    case BiRle4:
        break;
    default:
        return {};
    }
    if ((h.compression == BiRle8 && h.bitCount != 8) || (h.compression == BiRle4 && h.bitCount != 4))
        fail();
    if ((h.compression == BiBitfields || h.compression == BiAlphaBitfields) && h.bitCount != 16 && h.bitCount != 32)
        fail();

    QImage image(int(h.width), int(h.height),
        alpha == DibAlpha::Premultiplied ? QImage::Format_ARGB32_Premultiplied : QImage::Format_ARGB32);
    if (image.isNull())
        fail();
    if (h.compression == BiRle8 || h.compression == BiRle4)
        decodeRunLength(image, h, table, bits);
    else
        decodeRows(image, h, table, bits, alpha);
    return image;
}

bool isBottomUpDib(const ByteReader &info)
{
    return info.u32(0) == 12 || info.i32(8) > 0;
}

QImage withColorLeftOut(const QImage &image, QRgb color)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == (color & 0x00FFFFFF))
                line[x] = 0;
        }
    }
    return result;
}

QImage decodePackedDib(const ByteReader &dib, DibColors colors)
{
    const DibHeader h = readHeader(dib, colors);
    const qint64 bitsOffset = h.tableOffset + h.colorCount * h.colorEntrySize;
    return decodeDib(dib, dib.from(bitsOffset), colors);
}

} // namespace kelvo::pictures
