#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kelvo {

// File names are bytes, and Qt's own conversion (QFile::decodeName) turns bytes that are no UTF-8
// into U+FFFD, so that a file whose name holds them cannot be opened at all. These keep every
// byte: each byte that begins no valid UTF-8 sequence becomes a character of its own, U+DC80 to
// U+DCFF (a lone surrogate, as Python's "surrogateescape" does), and turns back into that byte.
// Valid UTF-8 reads as Qt reads it.
QString decodeLocalFileName(QByteArrayView bytes);
QByteArray encodeLocalFileName(const QString &name);

// Text that may hold such names (a path, an argument), made fit for UTF-8 files: a lone surrogate
// has no UTF-8 form, and strict readers refuse a file that carries one. Each reads as U+FFFD.
QString withoutLoneSurrogates(const QString &text);

} // namespace kelvo
