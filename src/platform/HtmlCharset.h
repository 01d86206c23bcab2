#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace kelvo {

// The character set of a lab document: a byte order mark, else the charset that the document
// declares near its top, else UTF-8 when the bytes are valid UTF-8 and not plain ASCII, else
// Windows-1251, which documents of lab works are written in. Lower case ("utf-8").
QByteArray htmlCharset(QByteArrayView document);

// Text to insert into a document of that character set. Characters the set cannot hold (and
// every non-ASCII character of a set we do not know) become HTML character references.
QByteArray encodeForHtml(QStringView text, QByteArrayView charset);

} // namespace kelvo
