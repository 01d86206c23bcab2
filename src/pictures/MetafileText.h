#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace kelvo::pictures {

// The text of an ANSI text record, decoded by its font's character set: Windows-1251 for Cyrillic
// and for the default set (the lab works come from Cyrillic Windows), Windows-1252 for the ANSI
// set unless the face is a Cyrillic one ("Arial Cyr"), CP866 for OEM, and the Symbol font's own
// encoding mapped onto Unicode (Greek letters and mathematical signs). Trailing zeros go.
QString decodeMetafileText(QByteArrayView bytes, quint8 charSet, QStringView faceName);

} // namespace kelvo::pictures
