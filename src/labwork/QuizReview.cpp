#include "QuizReview.h"

#include "AnswerMatcher.h"
#include "CodePages.h"
#include "FormControls.h"
#include "HtmlScan.h"
#include "Localization.h"
#include "TaskChapter.h"
#include "TextFormat.h"

#include <QHash>
#include <QSet>

namespace kelvo {

namespace {

const QString RightColour = QStringLiteral("#008000");
const QString WrongColour = QStringLiteral("#800000");

QString nameOf(const QString &line)
{
    const qsizetype equals = line.indexOf(u'=');
    return equals < 0 ? line : line.left(equals);
}

QString valueOf(const QString &line)
{
    const qsizetype equals = line.indexOf(u'=');
    return equals < 0 ? QString() : line.mid(equals + 1);
}

QString attributeValue(const HtmlToken &tag, QStringView name)
{
    const HtmlAttribute *attribute = tag.attribute(name);
    return attribute ? attribute->value : QString();
}

// The value of the first answer line of each name that an answer line gives, the names
// case-folded: a typed field counts when its name is among them, and shows the first as expected.
QHash<QString, QString> firstAnswers(const QStringList &answers)
{
    QHash<QString, QString> first;
    for (const QString &answer : answers) {
        if (answer.isEmpty())
            continue;
        const QString name = nameOf(answer).toCaseFolded();
        if (!first.contains(name))
            first.insert(name, valueOf(answer));
    }
    return first;
}

// The most a control can count: one for each value of it that an answer line accepts (a radio
// group and a selection list submit one value, a check box its own), one for a typed field that
// an answer line names. Buttons count nothing: only the pressed one submits.
int possibleCount(
    const QList<FormControl> &controls, const QHash<QString, QString> &firstAnswers, const AnswerMatcher &matcher)
{
    int possible = 0;
    QSet<QString> singleChoiceCounted;
    for (const FormControl &control : controls) {
        if (control.kind == u"submit" || control.kind == u"button")
            continue;
        if (control.anyValue) {
            possible += firstAnswers.contains(control.name.toCaseFolded()) ? 1 : 0;
            continue;
        }
        const bool singleChoice = control.kind == u"radio" || control.kind == u"select";
        for (const QString &value : control.values) {
            if (!matcher.matches(control.name + u'=' + value))
                continue;
            if (singleChoice && singleChoiceCounted.contains(control.name))
                break;
            singleChoiceCounted.insert(control.name);
            ++possible;
            if (singleChoice)
                break;
        }
    }
    return possible;
}

// The submitted lines of a page, indexed once for all its questions: the lines of each name in
// the order submitted, and the set of lines.
class SubmittedLines final
{
public:
    explicit SubmittedLines(const QStringList &results)
    {
        m_byName.reserve(results.size());
        m_lines.reserve(results.size());
        for (const QString &line : results) {
            m_byName[nameOf(line)].append(line);
            m_lines.insert(line);
        }
    }

    const QStringList &ofName(const QString &name) const
    {
        const auto found = m_byName.constFind(name);
        return found == m_byName.cend() ? m_none : *found;
    }

    bool contains(const QString &line) const { return m_lines.contains(line); }

private:
    QHash<QString, QStringList> m_byName;
    QSet<QString> m_lines;
    const QStringList m_none;
};

// A question scanned once for its mark, its rewritten text and its expected answers.
struct ScannedQuestion
{
    explicit ScannedQuestion(const QuizQuestion &question)
        : text(question.text)
        , tokens(scanHtml(question.text))
        , controls(formControls(tokens))
        , matcher(question.answers)
        , first(firstAnswers(question.answers))
    {
    }

    const QString &text;
    const QList<HtmlToken> tokens;
    const QList<FormControl> controls;
    const AnswerMatcher matcher;
    const QHash<QString, QString> first;
};

QuestionMark markScanned(const ScannedQuestion &question, const SubmittedLines &submitted)
{
    QSet<QString> names;
    for (const FormControl &control : question.controls)
        names.insert(control.name);

    QuestionMark mark;
    mark.possible = possibleCount(question.controls, question.first, question.matcher);
    bool wrongGiven = false;
    for (const QString &name : std::as_const(names)) {
        for (const QString &result : submitted.ofName(name)) {
            if (question.matcher.matches(result))
                ++mark.counted;
            else
                wrongGiven = true;
        }
    }
    mark.right = mark.possible > 0 && !wrongGiven && mark.counted >= mark.possible;
    return mark;
}

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// Rewrites a question's controls to show what the student submitted, read-only.
class ReviewWriter final
{
public:
    ReviewWriter(const ScannedQuestion &question, const SubmittedLines &submitted, const AnswerMatcher *outlineRight)
        : m_text(question.text)
        , m_tokens(question.tokens)
        , m_submitted(submitted)
        , m_outlineRight(outlineRight)
    {
    }

    QString write()
    {
        const QList<HtmlToken> &tokens = m_tokens;
        QString out;
        qsizetype copied = 0;
        for (qsizetype i = 0; i < tokens.size(); ++i) {
            const HtmlToken &token = tokens[i];
            // The review has no form around its questions: a form of a question's own, left open,
            // would take in the page's return button.
            if (isFormTag(token)) {
                out += QStringView(m_text).sliced(copied, token.start - copied);
                copied = token.end;
                continue;
            }
            if (token.kind == HtmlToken::Kind::EndTag && token.name == u"select")
                m_openSelect.clear();
            if (token.kind != HtmlToken::Kind::StartTag || !isControlTag(token.name))
                continue;
            out += QStringView(m_text).sliced(copied, token.start - copied);
            const HtmlToken *next = i + 1 < tokens.size() ? &tokens[i + 1] : nullptr;
            out += controlTag(token, next);
            copied = token.end;
            if (token.name == u"textarea" && next && next->kind == HtmlToken::Kind::Text) {
                out += escaped(nextSubmitted(attributeValue(token, u"name")));
                copied = next->end;
                ++i;
            }
        }
        out += QStringView(m_text).sliced(copied);
        return out;
    }

private:
    static bool isFormTag(const HtmlToken &token)
    {
        return token.name == u"form"
            && (token.kind == HtmlToken::Kind::StartTag || token.kind == HtmlToken::Kind::EndTag);
    }

    static bool isControlTag(const QString &name)
    {
        return name == u"input" || name == u"select" || name == u"option" || name == u"textarea" || name == u"button";
    }

    // The value of the next submitted line of `name`: a page's typed fields of one name submit in
    // document order.
    QString nextSubmitted(const QString &name)
    {
        const QStringList &lines = m_submitted.ofName(name);
        const qsizetype index = m_typedSeen[name]++;
        return index < lines.size() ? valueOf(lines[index]) : QString();
    }

    QString controlTag(const HtmlToken &tag, const HtmlToken *next)
    {
        const QString name = attributeValue(tag, u"name");
        QString type = attributeValue(tag, u"type").trimmed().toLower();
        if (tag.name == u"input" && type.isEmpty())
            type = QStringLiteral("text");
        const bool box = tag.name == u"input" && (type == u"radio" || type == u"checkbox");
        const bool typed = tag.name == u"input" && !box && type != u"hidden" && type != u"submit" && type != u"button"
            && type != u"reset" && type != u"image" && type != u"file";

        QStringView state; // the page's own state of the control, which the student's answer replaces
        QString extra;
        if (box) {
            const QString line = name + u'=' + (tag.attribute(u"value") ? attributeValue(tag, u"value") : u"on"_qs);
            state = u"checked";
            if (m_submitted.contains(line))
                extra += QStringLiteral(" checked");
            if (m_outlineRight && m_outlineRight->matches(line))
                extra += QStringLiteral(" style=\"outline: 3px solid #008000\"");
        } else if (typed) {
            state = u"value";
            extra += QStringLiteral(" value=\"") + escaped(nextSubmitted(name)) + u'"';
        } else if (tag.name == u"select") {
            m_openSelect = name;
        } else if (tag.name == u"option" && !m_openSelect.isEmpty()) {
            QString value = attributeValue(tag, u"value");
            if (!tag.attribute(u"value") && next && next->kind == HtmlToken::Kind::Text)
                value = decodeCharacterReferences(next->text).simplified();
            state = u"selected";
            if (m_submitted.contains(m_openSelect + u'=' + value))
                extra += QStringLiteral(" selected");
        }
        if (tag.name != u"option")
            extra += QStringLiteral(" disabled");

        QString out = u'<' + tag.name;
        for (const HtmlAttribute &attribute : tag.attributes) {
            if (attribute.name != u"disabled" && attribute.name != state)
                out += u' ' + attribute.name + QStringLiteral("=\"") + escaped(attribute.value) + u'"';
        }
        return out + extra + u'>';
    }

    const QString &m_text;
    const QList<HtmlToken> &m_tokens;
    const SubmittedLines &m_submitted;
    const AnswerMatcher *m_outlineRight;
    QString m_openSelect;
    QHash<QString, qsizetype> m_typedSeen; // of this question: each question's fields start at a name's first line
};

// The first answer line of each typed field and selection list, for a wrong question.
QString expectedAnswers(const QList<FormControl> &controls, const QHash<QString, QString> &firstAnswers)
{
    QStringList expected;
    QSet<QString> named;
    for (const FormControl &control : controls) {
        if ((!control.anyValue && control.kind != u"select") || named.contains(control.name))
            continue;
        named.insert(control.name);
        const auto first = firstAnswers.constFind(control.name.toCaseFolded());
        if (first != firstAnswers.cend())
            expected.append(escaped(*first));
    }
    return expected.join(QStringLiteral("; "));
}

} // namespace

QuestionMark markQuestion(const QuizQuestion &question, const QStringList &results)
{
    return markScanned(ScannedQuestion(question), SubmittedLines(results));
}

QByteArray quizReviewPage(const TTaskChapter &chapter, const QStringList &results, bool showExpected)
{
    const SubmittedLines submitted(results);
    QString page = format(Texts::ReviewPageHead, { chapter.Heading, qint64(chapter.AttemptCount) });
    for (const QuizQuestion &question : chapter.PageQuestions) {
        const ScannedQuestion scanned(question);
        const QuestionMark mark = markScanned(scanned, submitted);
        const QString colour = mark.right ? RightColour : WrongColour;
        page += format(Texts::ReviewQuestionStart,
            { mark.right ? QStringLiteral("review_right") : QStringLiteral("review_wrong"), colour, colour,
                mark.right ? Texts::ReviewRight : Texts::ReviewWrong });
        const bool expected = showExpected && !mark.right;
        page += ReviewWriter(scanned, submitted, expected ? &scanned.matcher : nullptr).write();
        if (expected) {
            const QString typed = expectedAnswers(scanned.controls, scanned.first);
            if (!typed.isEmpty())
                page += format(Texts::ReviewExpected, { typed });
        }
        page += Texts::ReviewQuestionEnd + Texts::QuestionRule;
    }
    page += Texts::ReviewPageFooter;
    return encodeWindows1251ForHtml(page);
}

} // namespace kelvo
