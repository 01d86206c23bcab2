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

// A document saved as UTF-16 with its byte order mark (Notepad's "Unicode"), as UTF-8 with the
// mark, so that its lines and inserted text can be handled byte by byte; any other comes back
// unchanged.
QByteArray withoutUtf16(QByteArray document);

// Text to insert into a document of that character set. Characters the set cannot hold (and
// every non-ASCII character of a set we do not know) become HTML character references.
QByteArray encodeForHtml(QStringView text, QByteArrayView charset);

} // namespace kelvo
