#include "HtmlScan.h"

#include <algorithm>
#include <optional>

namespace kelvo {

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool isNameCharacter(QChar c)
{
    return !isSpace(c) && c != u'>' && c != u'/' && c != u'=' && c != u'<';
}

// Elements whose content is not markup.
bool isRawTextElement(QStringView name)
{
    return name == u"script" || name == u"style" || name == u"textarea" || name == u"title";
}

class Scanner final
{
public:
    Scanner(QStringView html, int firstLine)
        : m_html(html)
        , m_lines(html, firstLine)
    {
    }

    QList<HtmlToken> scan(bool *cutShort)
    {
        while (m_pos < m_html.size()) {
            if (m_tokens.size() >= MaxHtmlTokens) {
                if (cutShort)
                    *cutShort = true;
                break;
            }
            if (m_html[m_pos] == u'<' && scanMarkup())
                continue;
            scanText();
        }
        return std::move(m_tokens);
    }

private:
    bool startsWith(QStringView text) const { return m_html.sliced(m_pos).startsWith(text, Qt::CaseInsensitive); }

    void skipSpaces()
    {
        while (m_pos < m_html.size() && isSpace(m_html[m_pos]))
            ++m_pos;
    }

    QString readName()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_html.size() && isNameCharacter(m_html[m_pos]))
            ++m_pos;
        return m_html.sliced(start, m_pos - start).toString().toLower();
    }

    // Markup at a "<": a comment, a tag, or a declaration. False when the "<" is plain text.
    bool scanMarkup()
    {
        const qsizetype start = m_pos;
        const int line = m_lines.lineAt(start);
        if (startsWith(u"<!--")) {
            qsizetype end = m_html.indexOf(u"-->", start + 4);
            end = end < 0 ? m_html.size() : end;
            m_pos = std::min(m_html.size(), end + 3);
            m_tokens.append({ HtmlToken::Kind::Comment, {}, {}, m_html.sliced(start + 4, end - start - 4).toString(),
                line, start, m_pos });
            return true;
        }
        const QChar next = start + 1 < m_html.size() ? m_html[start + 1] : QChar();
        if (next == u'!' || next == u'?') {
            skipTo(u'>');
            return true;
        }
        const bool closing = next == u'/';
        const qsizetype nameAt = start + (closing ? 2 : 1);
        if (nameAt >= m_html.size() || !isAsciiLetter(m_html[nameAt]))
            return false;
        m_pos = nameAt;
        HtmlToken tag;
        tag.kind = closing ? HtmlToken::Kind::EndTag : HtmlToken::Kind::StartTag;
        tag.name = readName();
        tag.line = line;
        scanAttributes(tag);
        tag.start = start;
        tag.end = m_pos;
        const QString name = tag.name;
        m_tokens.append(std::move(tag));
        if (!closing && isRawTextElement(name))
            scanRawText(name);
        return true;
    }

    void scanAttributes(HtmlToken &tag)
    {
        while (m_pos < m_html.size()) {
            skipSpaces();
            if (m_pos >= m_html.size())
                return;
            const QChar c = m_html[m_pos];
            if (c == u'>') {
                ++m_pos;
                return;
            }
            if (c == u'/' || c == u'=' || c == u'<') {
                ++m_pos;
                continue;
            }
            HtmlAttribute attribute;
            attribute.line = m_lines.lineAt(m_pos);
            attribute.name = readName();
            skipSpaces();
            if (m_pos < m_html.size() && m_html[m_pos] == u'=') {
                ++m_pos;
                skipSpaces();
                attribute.value = decodeCharacterReferences(readValue());
            }
            tag.attributes.append(std::move(attribute));
        }
    }

    QStringView readValue()
    {
        if (m_pos >= m_html.size())
            return {};
        const QChar quote = m_html[m_pos];
        if (quote == u'"' || quote == u'\'') {
            const qsizetype start = m_pos + 1;
            qsizetype end = m_html.indexOf(quote, start);
            end = end < 0 ? m_html.size() : end;
            m_pos = std::min(m_html.size(), end + 1);
            return m_html.sliced(start, end - start);
        }
        const qsizetype start = m_pos;
        while (m_pos < m_html.size() && !isSpace(m_html[m_pos]) && m_html[m_pos] != u'>')
            ++m_pos;
        return m_html.sliced(start, m_pos - start);
    }

    void scanRawText(const QString &name)
    {
        const qsizetype start = m_pos;
        const QString close = QStringLiteral("</") + name;
        qsizetype end = m_html.indexOf(close, start, Qt::CaseInsensitive);
        end = end < 0 ? m_html.size() : end;
        m_tokens.append({ HtmlToken::Kind::Text, name, {}, m_html.sliced(start, end - start).toString(),
            m_lines.lineAt(start), start, end });
        m_pos = end;
    }

    void scanText()
    {
        const qsizetype start = m_pos;
        qsizetype end = m_html.indexOf(u'<', start + 1);
        end = end < 0 ? m_html.size() : end;
        m_tokens.append({ HtmlToken::Kind::Text, {}, {}, m_html.sliced(start, end - start).toString(),
            m_lines.lineAt(start), start, end });
        m_pos = end;
    }

    void skipTo(QChar c)
    {
        const qsizetype end = m_html.indexOf(c, m_pos);
        m_pos = end < 0 ? m_html.size() : end + 1;
    }

    QStringView m_html;
    LineIndex m_lines;
    qsizetype m_pos = 0;
    QList<HtmlToken> m_tokens;
};

} // namespace

const HtmlAttribute *HtmlToken::attribute(QStringView attributeName) const
{
    const auto found = std::find_if(
        attributes.cbegin(), attributes.cend(), [&](const HtmlAttribute &a) { return a.name == attributeName; });
    return found == attributes.cend() ? nullptr : &*found;
}

LineIndex::LineIndex(QStringView text, int firstLine)
    : m_text(text)
    , m_firstLine(firstLine)
    , m_line(firstLine)
{
}

int LineIndex::lineAt(qsizetype position) const
{
    if (position < m_at) {
        m_at = 0;
        m_line = m_firstLine;
    }
    const qsizetype end = std::min(position, m_text.size());
    for (; m_at < end; ++m_at) {
        // CR LF ends one line, at its LF.
        const QChar c = m_text[m_at];
        if (c == u'\n' || (c == u'\r' && (m_at + 1 >= m_text.size() || m_text[m_at + 1] != u'\n')))
            ++m_line;
    }
    return m_line;
}

QList<HtmlToken> scanHtml(QStringView html, int firstLine, bool *cutShort)
{
    return Scanner(html, firstLine).scan(cutShort);
}

QString decodeCharacterReferences(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    static const QList<std::pair<QStringView, char32_t>> named = {
        { u"amp", U'&' },
        { u"lt", U'<' },
        { u"gt", U'>' },
        { u"quot", U'"' },
        { u"apos", U'\'' },
        { u"nbsp", 0xA0 },
    };
    QString decoded;
    decoded.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        // A reference is short: look for its end only nearby, so that text with many "&" stays linear.
        const qsizetype window = text[i] == u'&'
            ? text.sliced(i + 1).first(std::min<qsizetype>(12, text.size() - i - 1)).indexOf(u';')
            : -1;
        const qsizetype semicolon = window < 0 ? -1 : i + 1 + window;
        if (semicolon < 0) {
            decoded += text[i++];
            continue;
        }
        const QStringView body = text.sliced(i + 1, semicolon - i - 1);
        std::optional<char32_t> code;
        if (body.startsWith(u'#')) {
            bool ok = false;
            const bool hex = body.size() > 1 && (body[1] == u'x' || body[1] == u'X');
            const uint value = body.sliced(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
            if (ok && value > 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF))
                code = char32_t(value);
        } else {
            for (const auto &[name, character] : named) {
                if (body == name)
                    code = character;
            }
        }
        if (!code) {
            decoded += text[i++];
            continue;
        }
        decoded += QString::fromUcs4(&*code, 1);
        i = semicolon + 1;
    }
    return decoded;
}

} // namespace kelvo
