#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Code pages of files made on Cyrillic Windows: data files in Windows-1251, ZIP entry names
// in CP866. Decoded at the boundary; strings are Unicode inside.
namespace kelvo {

QString decodeWindows1251(QByteArrayView bytes);
QString decodeCp866(QByteArrayView bytes);

// Characters that Windows-1251 lacks become HTML character references (&#937;), so the result
// stays exact inside an HTML page that declares windows-1251.
QByteArray encodeWindows1251ForHtml(QStringView text);
// Characters that Windows-1251 lacks become "?"; `lossless` tells whether any did.
QByteArray encodeWindows1251(QStringView text, bool *lossless = nullptr);

bool isValidUtf8(QByteArrayView bytes);
bool hasUtf8ByteOrderMark(QByteArrayView bytes);

// A text data file: UTF-8 or UTF-16 after a byte order mark (which is dropped), UTF-8 when the
// bytes are valid UTF-8 and not plain ASCII (an editor that saved without the mark), Windows-1251
// otherwise.
QString decodeDataText(QByteArrayView bytes);

} // namespace kelvo
