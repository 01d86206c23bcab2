#include "DocumentChecks.h"

#include "CheckContext.h"
#include "CheckTexts.h"
#include "CodePages.h"
#include "HtmlCharset.h"
#include "LabFolder.h"
#include "RuntimeErrors.h"
#include "TextFormat.h"

#include <QDir>
#include <QStringDecoder>
#include <QUrl>

namespace kelvo::check {

namespace {

enum class LinkKind { Ignored, Script, Unsupported, File };

struct Link
{
    LinkKind kind = LinkKind::Ignored;
    QString name; // for a file: relative to the lab folder
};

bool isSchemeCharacter(QChar c, bool first)
{
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    return letter || (!first && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'));
}

// The scheme of an absolute reference, lower case; empty for a relative one.
QString schemeOf(QStringView reference)
{
    for (qsizetype i = 0; i < reference.size(); ++i) {
        if (reference[i] == u':')
            return i > 0 ? reference.first(i).toString().toLower() : QString();
        if (!isSchemeCharacter(reference[i], i == 0))
            return {};
    }
    return {};
}

// What a reference of a page served from the lab folder leads to. `base` is the folder (relative
// to the lab folder, "" for the folder itself) that relative references start from.
Link classify(QStringView written, const QString &base)
{
    const QStringView reference = written.trimmed();
    if (reference.isEmpty() || reference.startsWith(u'#'))
        return {};
    const QString scheme = schemeOf(reference);
    if (scheme == u"javascript")
        return { LinkKind::Script, {} };
    // The desktop's browser opens these, or the page holds the data itself.
    static const QStringList outside = { QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("mailto"),
        QStringLiteral("ftp"), QStringLiteral("data"), QStringLiteral("about"), QStringLiteral("tel") };
    if (outside.contains(scheme))
        return {};
    if (!scheme.isEmpty() || reference.startsWith(u"//") || reference.startsWith(u"\\\\"))
        return { LinkKind::Unsupported, {} };

    QStringView path = reference;
    const qsizetype end = std::min(path.indexOf(u'#') < 0 ? path.size() : path.indexOf(u'#'),
        path.indexOf(u'?') < 0 ? path.size() : path.indexOf(u'?'));
    path = path.first(end);
    if (path.isEmpty())
        return {};
    QString name = QUrl::fromPercentEncoding(path.toUtf8());
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!name.startsWith(QLatin1Char('/')) && !base.isEmpty())
        name = base + QLatin1Char('/') + name;
    return { LinkKind::File, name };
}

// Checks one reference; returns the file's path when it is there.
std::optional<QString> checkReference(
    CheckContext &context, const QString &reference, const QString &base, const QString &shownFile, int line)
{
    const Link link = classify(reference, base);
    switch (link.kind) {
    case LinkKind::Ignored:
        return std::nullopt;
    case LinkKind::Script:
        context.report().warning(shownFile, line, QStringLiteral("script"), CheckTexts::ScriptLink);
        return std::nullopt;
    case LinkKind::Unsupported:
        context.report().error(
            shownFile, line, QStringLiteral("unsupported-link"), format(CheckTexts::UnsupportedLink, { reference }));
        return std::nullopt;
    case LinkKind::File:
        break;
    }
    return context.findFile(link.name, shownFile, line, CheckTexts::WhatReference);
}

void checkCss(CheckContext &context, QStringView css, int firstLine, const QString &base, const QString &shownFile)
{
    for (const CssReference &reference : cssReferences(css, firstLine)) {
        if (const std::optional<QString> path
            = checkReference(context, reference.url, base, shownFile, reference.line)) {
            if (path->endsWith(QLatin1String(".css"), Qt::CaseInsensitive))
                checkStyleSheet(context, *path);
        }
    }
}

bool isUrlAttribute(const QString &tag, const QString &attribute)
{
    if (attribute == u"src" || attribute == u"background")
        return true;
    if (attribute == u"href")
        return tag == u"a" || tag == u"link" || tag == u"area";
    return (attribute == u"data" && tag == u"object") || (attribute == u"poster" && tag == u"video");
}

bool isStyleSheetLink(const HtmlToken &tag)
{
    const HtmlAttribute *rel = tag.attribute(u"rel");
    return tag.name == u"link" && rel && rel->value.contains(QLatin1String("stylesheet"), Qt::CaseInsensitive);
}

QString folderOf(const QString &relativePath)
{
    const qsizetype slash = relativePath.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : relativePath.first(slash);
}

// A document whose bytes are not in the character set it declares: the viewer decodes it by the
// declaration, and the student sees mojibake. Without a declaration, the viewer takes UTF-8 for
// valid UTF-8 with non-ASCII bytes, so Windows-1251 over such bytes, or UTF-8 over bytes that
// are not UTF-8, can only be declared.
void checkCharset(CheckContext &context, const QByteArray &bytes, const QString &shown)
{
    const QByteArray charset = htmlCharset(bytes);
    const bool utf8 = isValidUtf8(bytes);
    const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(), [](char b) { return quint8(b) < 0x80; });
    const bool cp1251 = charset == "windows-1251" || charset == "cp1251" || charset == "x-cp1251";
    if (cp1251 && utf8 && !ascii) {
        context.report().warning(shown, 0, QStringLiteral("charset-mismatch"),
            format(CheckTexts::CharsetMismatch, { QString::fromLatin1(charset), CheckTexts::InUtf8 }));
    } else if ((charset == "utf-8" || charset == "utf8") && !utf8) {
        context.report().warning(shown, 0, QStringLiteral("charset-mismatch"),
            format(CheckTexts::CharsetMismatch, { QString::fromLatin1(charset), CheckTexts::NotInUtf8 }));
    }
}

} // namespace

std::optional<QByteArray> readForCheck(
    CheckContext &context, const QString &path, const QString &referrer, int line, const QString &what)
{
    try {
        return readWholeFile(path, LabFolder::shownName(context.shownName(path)), MaxDataFileBytes);
    } catch (const ERuntimeError &error) {
        context.report().error(referrer, line, QStringLiteral("unreadable-file"),
            format(CheckTexts::UnreadableFile, { context.shownName(path), what, error.message() }));
        return std::nullopt;
    }
}

QString decodeHtml(const QByteArray &bytes)
{
    const QByteArray charset = htmlCharset(bytes);
    if (charset == "windows-1251" || charset == "cp1251" || charset == "x-cp1251")
        return decodeWindows1251(bytes);
    QStringDecoder decoder(charset.constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return decodeWindows1251(bytes);
    return decoder.decode(bytes);
}

void checkHtml(CheckContext &context, const QList<HtmlToken> &tokens, const QString &shownFile)
{
    CheckReport &report = context.report();
    for (const HtmlToken &token : tokens) {
        if (token.kind == HtmlToken::Kind::Text && token.name == u"style") {
            checkCss(context, token.text, token.line, {}, shownFile);
            continue;
        }
        if (token.kind != HtmlToken::Kind::StartTag)
            continue;
        if (token.name == u"script") {
            // What it loads does not matter: it does not run.
            report.warning(shownFile, token.line, QStringLiteral("script"), CheckTexts::ScriptTag);
            continue;
        }
        for (const HtmlAttribute &attribute : token.attributes) {
            if (attribute.name.size() > 2 && attribute.name.startsWith(QLatin1String("on"))) {
                report.warning(shownFile, attribute.line, QStringLiteral("script"),
                    format(CheckTexts::ScriptAttribute, { attribute.name }));
            } else if (attribute.name == u"style") {
                checkCss(context, attribute.value, attribute.line, {}, shownFile);
            } else if (isUrlAttribute(token.name, attribute.name)) {
                const std::optional<QString> path
                    = checkReference(context, attribute.value, {}, shownFile, attribute.line);
                if (path && attribute.name == u"href" && isStyleSheetLink(token))
                    checkStyleSheet(context, *path);
            }
        }
    }
}

void checkDocument(CheckContext &context, const QString &path)
{
    if (!context.firstVisit(QStringLiteral("document:") + path))
        return;
    const QString shown = context.shownName(path);
    const std::optional<QByteArray> bytes = readForCheck(context, path, shown, 0, CheckTexts::WhatDocument);
    if (!bytes)
        return;
    checkCharset(context, *bytes, shown);
    const QString html = decodeHtml(*bytes);
    bool cutShort = false;
    checkHtml(context, scanHtml(html, 1, &cutShort), shown);
    if (cutShort) {
        context.report().warning(
            shown, 0, QStringLiteral("check-limit"), format(CheckTexts::TooManyTags, { qint64(MaxHtmlTokens) }));
    }
    if (!html.contains(QLatin1String("</body>"))) {
        const qsizetype other = html.indexOf(QLatin1String("</body"), 0, Qt::CaseInsensitive);
        const int line = other < 0 ? 0 : LineIndex(html).lineAt(other);
        context.report().warning(shown, line, QStringLiteral("no-body-end"), CheckTexts::NoBodyEnd);
    }
}

void checkStyleSheet(CheckContext &context, const QString &path)
{
    if (!context.firstVisit(QStringLiteral("style:") + path))
        return;
    const QString shown = context.shownName(path);
    const std::optional<QByteArray> bytes = readForCheck(context, path, shown, 0, CheckTexts::WhatReference);
    if (!bytes)
        return;
    const QString relative = QDir(context.setup().labFolder).relativeFilePath(path);
    checkCss(context, decodeDataText(*bytes), 1, folderOf(relative), shown);
}

QList<CssReference> cssReferences(QStringView css, int firstLine)
{
    const LineIndex lines(css, firstLine);
    QList<CssReference> references;
    auto readString = [&](qsizetype &i) {
        const QChar quote = css[i];
        const qsizetype end = css.indexOf(quote, i + 1);
        const qsizetype stop = end < 0 ? css.size() : end;
        const QString text = css.sliced(i + 1, stop - i - 1).toString();
        i = std::min(css.size(), stop + 1);
        return text;
    };
    qsizetype i = 0;
    while (i < css.size()) {
        if (css.sliced(i).startsWith(u"/*")) {
            const qsizetype end = css.indexOf(u"*/", i + 2);
            i = end < 0 ? css.size() : end + 2;
        } else if (css[i] == u'"' || css[i] == u'\'') {
            readString(i);
        } else if (css.sliced(i).startsWith(u"url(", Qt::CaseInsensitive)) {
            const int line = lines.lineAt(i);
            i += 4;
            while (i < css.size() && css[i].isSpace())
                ++i;
            QString url;
            if (i < css.size() && (css[i] == u'"' || css[i] == u'\'')) {
                url = readString(i);
            } else {
                const qsizetype end = css.indexOf(u')', i);
                const qsizetype stop = end < 0 ? css.size() : end;
                url = css.sliced(i, stop - i).trimmed().toString();
                i = stop;
            }
            references.append({ url, line });
        } else if (css.sliced(i).startsWith(u"@import", Qt::CaseInsensitive)) {
            const int line = lines.lineAt(i);
            i += 7;
            while (i < css.size() && css[i].isSpace())
                ++i;
            if (i < css.size() && (css[i] == u'"' || css[i] == u'\''))
                references.append({ readString(i), line });
        } else {
            ++i;
        }
    }
    return references;
}

} // namespace kelvo::check
