#pragma once

#include <QSize>
#include <QtGlobal>

// Caps that keep a hostile picture file from taking unbounded memory or time.
namespace kelvo::pictures {

// The largest picture, in pixels at 96 DPI, that the loader accepts.
inline constexpr int MaxPictureSide = 8192;
inline constexpr qint64 MaxPicturePixels = 4096ll * 4096;

// Whether a bitmap of this size stays within the caps above (schema pictures, and the pictures
// of documents, which the viewer refuses beyond them).
inline bool withinPictureCaps(QSize size)
{
    return size.width() <= MaxPictureSide && size.height() <= MaxPictureSide
        && qint64(size.width()) * size.height() <= MaxPicturePixels;
}

// The largest image that image() renders; a higher device pixel ratio is reduced to fit.
inline constexpr qint64 MaxRenderedPixels = 8192ll * 4096;

// The largest bitmap inside a metafile (RLE data can expand far beyond its own size).
inline constexpr qint64 MaxBitmapPixels = 4096ll * 4096;
inline constexpr int MaxBitmapSide = 32768;

// Records of one metafile, saved device contexts, and rectangles of a clipping region.
inline constexpr qint64 MaxRecords = 2'000'000;
inline constexpr int MaxSavedStates = 1024;
inline constexpr int MaxClipRectangles = 4096;

// Coordinates are clamped to this many picture pixels either way before they reach the painter.
inline constexpr qreal CoordinateLimit = 1.0e6;

} // namespace kelvo::pictures
