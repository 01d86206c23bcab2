#pragma once

#include "ByteReader.h"

#include <QImage>

namespace kelvo::pictures {

// How the colour table of a device-independent bitmap is given.
enum class DibColors {
    Rgb, // RGB quads (DIB_RGB_COLORS)
    PaletteIndices, // 16-bit indices into the logical palette (DIB_PAL_COLORS), which we do not keep
};

// Whether the fourth byte of a 32-bit pixel is alpha (for AlphaBlend) or padding.
enum class DibAlpha { Ignore, Premultiplied };

// Decodes a device-independent bitmap: `info` holds the BITMAPINFO (header and colour table),
// `bits` the pixel rows. Reads 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed, with bit
// fields, or run-length encoded (RLE8, RLE4; pixels an RLE bitmap skips stay transparent).
// The result is ARGB32, top row first. Raises MetafileFault on data that contradicts itself or
// exceeds the bitmap caps; returns a null image for compressions it does not read (JPEG, PNG).
QImage decodeDib(const ByteReader &info, const ByteReader &bits, DibColors colors = DibColors::Rgb,
    DibAlpha alpha = DibAlpha::Ignore);

// A packed DIB, as WMF records hold it: the BITMAPINFO with the pixel rows right after it.
QImage decodePackedDib(const ByteReader &dib, DibColors colors = DibColors::Rgb);

// Whether the rows of a DIB are stored bottom row first (then source rectangles of StretchDIBits
// count from the bottom-left corner).
bool isBottomUpDib(const ByteReader &info);

// A copy in ARGB32 where every pixel of the given colour (alpha ignored) is transparent.
QImage withColorLeftOut(const QImage &image, QRgb color);

} // namespace kelvo::pictures
