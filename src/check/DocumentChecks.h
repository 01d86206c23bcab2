#pragma once

#include "HtmlScan.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace kelvo::check {

class CheckContext;

// Reads a file of the lab work for a check; reports a file that cannot be read and returns nothing then.
std::optional<QByteArray> readForCheck(
    CheckContext &context, const QString &path, const QString &referrer, int line, const QString &what);

// Decodes an HTML document as the viewer does: by its byte order mark or declared character set,
// else UTF-8 when the bytes are UTF-8 and not plain ASCII, else Windows-1251.
QString decodeHtml(const QByteArray &bytes);

// Checks HTML (a document, or a question's text) as the viewer shows it from the lab folder:
// files it refers to (pictures, style sheets, links), links that cannot open, scripts that will
// not run. `shownFile` is where the findings are.
void checkHtml(CheckContext &context, const QList<HtmlToken> &tokens, const QString &shownFile);

// Checks an information chapter's document found at `path`: its HTML and where the
// read-confirmation button goes.
void checkDocument(CheckContext &context, const QString &path);

// Checks the files a style sheet refers to (url(), @import), relative to the sheet's folder.
void checkStyleSheet(CheckContext &context, const QString &path);

// The references of a style sheet, or of a style attribute or element, with their lines.
struct CssReference
{
    QString url;
    int line = 0;
};
QList<CssReference> cssReferences(QStringView css, int firstLine = 1);

} // namespace kelvo::check
