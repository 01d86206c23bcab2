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

bool answersName(const QStringList &answers, const QString &name)
{
    const QString folded = name.toCaseFolded();
    for (const QString &answer : answers) {
        if (!answer.isEmpty() && nameOf(answer).toCaseFolded() == folded)
            return true;
    }
    return false;
}

// The most a control can count: one for each value of it that an answer line accepts (a radio
// group and a selection list submit one value, a check box its own), one for a typed field that
// an answer line names. Buttons count nothing: only the pressed one submits.
int possibleCount(const QList<FormControl> &controls, const QStringList &answers, const AnswerMatcher &matcher)
{
    int possible = 0;
    QSet<QString> singleChoiceCounted;
    for (const FormControl &control : controls) {
        if (control.kind == u"submit" || control.kind == u"button")
            continue;
        if (control.anyValue) {
            possible += answersName(answers, control.name) ? 1 : 0;
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

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// Rewrites a question's controls to show what the student submitted, read-only.
class ReviewWriter final
{
public:
    ReviewWriter(const QuizQuestion &question, const QStringList &results, const AnswerMatcher *outlineRight)
        : m_text(question.text)
        , m_results(results)
        , m_outlineRight(outlineRight)
    {
    }

    QString write()
    {
        const QList<HtmlToken> tokens = scanHtml(m_text);
        QString out;
        qsizetype copied = 0;
        for (qsizetype i = 0; i < tokens.size(); ++i) {
            const HtmlToken &token = tokens[i];
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
    static bool isControlTag(const QString &name)
    {
        return name == u"input" || name == u"select" || name == u"option" || name == u"textarea" || name == u"button";
    }

    // The value of the next submitted line of `name`: a page's typed fields of one name submit in
    // document order.
    QString nextSubmitted(const QString &name)
    {
        int &seen = m_typedSeen[name];
        int index = 0;
        for (const QString &line : m_results) {
            if (nameOf(line) == name && index++ == seen) {
                ++seen;
                return valueOf(line);
            }
        }
        ++seen;
        return {};
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

        QStringList dropped = { QStringLiteral("disabled") };
        QString extra;
        if (box) {
            const QString line = name + u'=' + (tag.attribute(u"value") ? attributeValue(tag, u"value") : u"on"_qs);
            dropped.append(QStringLiteral("checked"));
            if (m_results.contains(line))
                extra += QStringLiteral(" checked");
            if (m_outlineRight && m_outlineRight->matches(line))
                extra += QStringLiteral(" style=\"outline: 3px solid #008000\"");
        } else if (typed) {
            dropped.append(QStringLiteral("value"));
            extra += QStringLiteral(" value=\"") + escaped(nextSubmitted(name)) + u'"';
        } else if (tag.name == u"select") {
            m_openSelect = name;
        } else if (tag.name == u"option" && !m_openSelect.isEmpty()) {
            QString value = attributeValue(tag, u"value");
            if (!tag.attribute(u"value") && next && next->kind == HtmlToken::Kind::Text)
                value = decodeCharacterReferences(next->text).simplified();
            dropped.append(QStringLiteral("selected"));
            if (m_results.contains(m_openSelect + u'=' + value))
                extra += QStringLiteral(" selected");
        }
        if (tag.name != u"option")
            extra += QStringLiteral(" disabled");

        QString out = u'<' + tag.name;
        for (const HtmlAttribute &attribute : tag.attributes) {
            if (!dropped.contains(attribute.name))
                out += u' ' + attribute.name + QStringLiteral("=\"") + escaped(attribute.value) + u'"';
        }
        return out + extra + u'>';
    }

    const QString &m_text;
    const QStringList &m_results;
    const AnswerMatcher *m_outlineRight;
    QString m_openSelect;
    QHash<QString, int> m_typedSeen;
};

// The first answer line of each typed field and selection list, for a wrong question.
QString expectedAnswers(const QList<FormControl> &controls, const QStringList &answers)
{
    QStringList expected;
    QSet<QString> named;
    for (const FormControl &control : controls) {
        if ((!control.anyValue && control.kind != u"select") || named.contains(control.name))
            continue;
        named.insert(control.name);
        const QString folded = control.name.toCaseFolded();
        for (const QString &answer : answers) {
            if (!answer.isEmpty() && nameOf(answer).toCaseFolded() == folded) {
                expected.append(escaped(valueOf(answer)));
                break;
            }
        }
    }
    return expected.join(QStringLiteral("; "));
}

} // namespace

QuestionMark markQuestion(const QuizQuestion &question, const QStringList &results)
{
    const AnswerMatcher matcher(question.answers);
    const QList<FormControl> controls = formControls(scanHtml(question.text));
    QSet<QString> names;
    for (const FormControl &control : controls)
        names.insert(control.name);

    QuestionMark mark;
    mark.possible = possibleCount(controls, question.answers, matcher);
    bool wrongGiven = false;
    for (const QString &result : results) {
        if (!names.contains(nameOf(result)))
            continue;
        if (matcher.matches(result))
            ++mark.counted;
        else
            wrongGiven = true;
    }
    mark.right = mark.possible > 0 && !wrongGiven && mark.counted >= mark.possible;
    return mark;
}

QByteArray quizReviewPage(const TTaskChapter &chapter, const QStringList &results, bool showExpected)
{
    QString page = format(Texts::ReviewPageHead, { chapter.Heading, qint64(chapter.AttemptCount) });
    for (const QuizQuestion &question : chapter.PageQuestions) {
        const QuestionMark mark = markQuestion(question, results);
        const QString colour = mark.right ? RightColour : WrongColour;
        page += format(Texts::ReviewQuestionStart,
            { mark.right ? QStringLiteral("review_right") : QStringLiteral("review_wrong"), colour, colour,
                mark.right ? Texts::ReviewRight : Texts::ReviewWrong });
        const bool expected = showExpected && !mark.right;
        const AnswerMatcher matcher(question.answers);
        page += ReviewWriter(question, results, expected ? &matcher : nullptr).write();
        if (expected) {
            const QString typed = expectedAnswers(formControls(scanHtml(question.text)), question.answers);
            if (!typed.isEmpty())
                page += format(Texts::ReviewExpected, { typed });
        }
        page += Texts::ReviewQuestionEnd + Texts::QuestionRule;
    }
    page += Texts::ReviewPageFooter;
    return encodeWindows1251ForHtml(page);
}

} // namespace kelvo
