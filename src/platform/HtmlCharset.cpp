#include "HtmlCharset.h"

#include "CodePages.h"

namespace kelvo {

namespace {

// How far into a document a declaration is looked for; browsers look at the first kilobytes.
constexpr qsizetype DeclarationWindow = 4096;

bool isCharsetCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ':' || c == '.';
}

QByteArray asciiReferences(QStringView text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t u = text[i].unicode();
        if (u < 0x80) {
            bytes.append(char(u));
            continue;
        }
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            u = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        bytes.append("&#").append(QByteArray::number(quint32(u))).append(';');
    }
    return bytes;
}

} // namespace

QByteArray htmlCharset(QByteArrayView document)
{
    if (hasUtf8ByteOrderMark(document))
        return "utf-8";
    if (document.size() >= 2 && document[0] == '\xFF' && document[1] == '\xFE')
        return "utf-16le";
    if (document.size() >= 2 && document[0] == '\xFE' && document[1] == '\xFF')
        return "utf-16be";

    const QByteArray head = document.first(qMin(document.size(), DeclarationWindow)).toByteArray().toLower();
    qsizetype at = head.indexOf("charset");
    while (at >= 0) {
        qsizetype i = at + 7;
        while (i < head.size() && (head[i] == ' ' || head[i] == '\t'))
            ++i;
        if (i < head.size() && head[i] == '=') {
            ++i;
            while (i < head.size() && (head[i] == ' ' || head[i] == '"' || head[i] == '\''))
                ++i;
            qsizetype end = i;
            while (end < head.size() && isCharsetCharacter(head[end]))
                ++end;
            if (end > i)
                return head.mid(i, end - i);
        }
        at = head.indexOf("charset", at + 7);
    }

    bool ascii = true;
    for (const char b : document) {
        if (static_cast<unsigned char>(b) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii && isValidUtf8(document))
        return "utf-8";
    return "windows-1251";
}

QByteArray withoutUtf16(QByteArray document)
{
    if (!htmlCharset(document).startsWith("utf-16"))
        return document;
    return QByteArrayLiteral("\xEF\xBB\xBF") + decodeDataText(document).toUtf8();
}

QByteArray encodeForHtml(QStringView text, QByteArrayView charset)
{
    if (charset == "utf-8" || charset == "utf8")
        return text.toUtf8();
    if (charset == "windows-1251" || charset == "cp1251" || charset == "x-cp1251")
        return encodeWindows1251ForHtml(text);
    return asciiReferences(text);
}

} // namespace kelvo
