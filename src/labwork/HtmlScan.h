#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// A forgiving scan of HTML, for the package checker and the review of a quiz: tags with their
// attributes and the lines they stand on, text between them. It builds no tree and never fails;
// what it does not understand is text.
namespace kelvo {

struct HtmlAttribute
{
    QString name; // lower case
    QString value; // character references decoded
    int line = 0;
};

struct HtmlToken
{
    enum class Kind { StartTag, EndTag, Text, Comment };

    Kind kind = Kind::Text;
    QString name; // lower-case tag name; for text, the element whose raw content it is (script, style...)
    QList<HtmlAttribute> attributes;
    QString text;
    int line = 0;
    qsizetype start = 0; // where the token stands in the scanned text, its end excluded
    qsizetype end = 0;

    const HtmlAttribute *attribute(QStringView attributeName) const;
};

// The most tokens one scan gives: far more than a lab document holds, and a bound on the memory
// that a hostile one takes.
inline constexpr qsizetype MaxHtmlTokens = 200'000;

// Lines count from `firstLine`; a line ends at CR, LF or CR LF. The scan stops after
// MaxHtmlTokens tokens and then sets `cutShort`.
QList<HtmlToken> scanHtml(QStringView html, int firstLine = 1, bool *cutShort = nullptr);

// Decodes the character references that lab documents use: &amp; &lt; &gt; &quot; &apos; &nbsp;
// and numeric ones. Others stay as written.
QString decodeCharacterReferences(QStringView text);

// The line of each position of a text, counted from `firstLine`. Counts as it goes, without a
// table of lines: quick when the positions asked for grow, as a scan asks them, and no memory
// for a text of millions of lines. The text must outlive the index.
class LineIndex final
{
public:
    explicit LineIndex(QStringView text, int firstLine = 1);
    int lineAt(qsizetype position) const;

private:
    QStringView m_text;
    int m_firstLine;
    mutable qsizetype m_at = 0;
    mutable int m_line;
};

} // namespace kelvo
