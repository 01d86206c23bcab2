#pragma once

#include "ByteReader.h"

#include <QPolygonF>
#include <QRectF>

#include <optional>

namespace kelvo::pictures {

class GdiPlayer;

// Plays the records of a WMF that follow its header, up to the end record.
void playWmfRecords(const ByteReader &records, GdiPlayer &player);

// The window (origin and extent) a WMF without the placeable header sets for itself, if any.
std::optional<QRectF> findWmfWindow(const ByteReader &records);

// Plays the records of an EMF from its header record on, up to the end record.
void playEmfRecords(const ByteReader &file, GdiPlayer &player);

// Reads 16-bit (x, y) pairs, as WMF and the smaller EMF records store points.
QPolygonF readPoints16(const ByteReader &reader, qint64 offset, qint64 count);
QPolygonF readPoints32(const ByteReader &reader, qint64 offset, qint64 count);

} // namespace kelvo::pictures
