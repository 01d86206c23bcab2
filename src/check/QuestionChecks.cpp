#include "QuestionChecks.h"

#include "CheckContext.h"
#include "CheckTexts.h"
#include "CodePages.h"
#include "DocumentChecks.h"
#include "FormControls.h"
#include "IniChecks.h"
#include "IniFile.h"
#include "LabFolder.h"
#include "LabWork.h"
#include "LabWorkKeys.h"
#include "LineCursor.h"
#include "Localization.h"
#include "NearestName.h"
#include "QuestionFiles.h"
#include "TaskChapter.h"
#include "TextFormat.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSet>

#include <algorithm>

namespace kelvo::check {

namespace {

const QString QuizStyleSheet = QStringLiteral("quest.css");

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A name of the form "c<digits>.q<digits>.range.q" or "c<digits>.q<digits>.v<any>.q", any letter case.
struct QuestionFileName
{
    QString chapterDigits;
    QString questionDigits;
    bool range = false;
};

std::optional<QuestionFileName> parseQuestionFileName(QStringView name)
{
    auto digitsAt = [&](qsizetype from) {
        qsizetype end = from;
        while (end < name.size() && isAsciiDigit(name[end]))
            ++end;
        return name.sliced(from, end - from);
    };
    if (name.size() < 2 || name[0].toLower() != u'c')
        return std::nullopt;
    const QStringView chapter = digitsAt(1);
    qsizetype at = 1 + chapter.size();
    if (chapter.isEmpty() || !name.sliced(at).startsWith(u".q", Qt::CaseInsensitive))
        return std::nullopt;
    at += 2;
    const QStringView question = digitsAt(at);
    at += question.size();
    const QStringView rest = name.sliced(at);
    if (question.isEmpty())
        return std::nullopt;
    if (rest.compare(u".range.q", Qt::CaseInsensitive) == 0)
        return QuestionFileName { chapter.toString(), question.toString(), true };
    if (rest.size() >= 4 && rest.startsWith(u".v", Qt::CaseInsensitive) && rest.endsWith(u".q", Qt::CaseInsensitive))
        return QuestionFileName { chapter.toString(), question.toString(), false };
    return std::nullopt;
}

// The number the digits stand for, when the player writes that number so ("%3.3d").
std::optional<int> canonicalNumber(const QString &digits)
{
    if (digits.size() > 9)
        return std::nullopt;
    const int number = digits.toInt();
    if (format(QStringLiteral("%3.3d"), { qint64(number) }) != digits)
        return std::nullopt;
    return number;
}

struct RadioUse
{
    int question = 0;
    QString file;
    int line = 0;
    QString name;
};

class ExaminationCheck final
{
public:
    ExaminationCheck(
        CheckContext &context, const TIniFile &descriptor, const QString &descriptorShown, const TTaskChapter &chapter)
        : m_context(context)
        , m_report(context.report())
        , m_chapter(chapter)
        , m_folder(context.setup().labFolder)
        , m_files(m_folder, chapter.Identifier)
        , m_descriptorShown(descriptorShown)
        , m_questionsLine(keyOrSectionLine(descriptor, chapter.SectionName, keys::examination::Questions.name))
    {
    }

    void run()
    {
        const QString prefix = format(QStringLiteral("c%3.3d.q"), { qint64(m_chapter.Identifier) });
        QSet<int> present;
        for (const QString &name : m_folder.match(QString(prefix + QLatin1Char('*')))) {
            const std::optional<QuestionFileName> parsed = parseQuestionFileName(name);
            if (!parsed)
                continue;
            const std::optional<int> number = canonicalNumber(parsed->questionDigits);
            if (!number) {
                const qint64 written = parsed->questionDigits.left(9).toLongLong();
                m_report.warning(m_context.shownName(m_files.path(name)), 0, QStringLiteral("unused-question-file"),
                    format(CheckTexts::BadQuestionNumber, { m_files.rangeName(int(std::max<qint64>(written, 1))) }));
                continue;
            }
            if (*number > m_chapter.Questions || *number < 1) {
                m_report.warning(m_context.shownName(m_files.path(name)), 0, QStringLiteral("unused-question-file"),
                    format(CheckTexts::UnusedQuestionFile, { qint64(*number), qint64(m_chapter.Questions) }));
                continue;
            }
            present.insert(*number);
        }
        if (m_chapter.Questions <= 0)
            return;

        const int last = present.isEmpty() ? 0 : *std::max_element(present.cbegin(), present.cend());
        if (last == 0) {
            m_report.error(m_descriptorShown, m_questionsLine, QStringLiteral("questions-exceed"),
                format(CheckTexts::NoQuestionFiles,
                    { qint64(m_chapter.Questions), QString(prefix + QStringLiteral("*.q")) }));
            return;
        }
        if (m_chapter.Questions > last) {
            m_report.error(m_descriptorShown, m_questionsLine, QStringLiteral("questions-exceed"),
                format(CheckTexts::QuestionsExceed, { qint64(m_chapter.Questions), qint64(last) }));
        }
        QList<int> numbers(present.cbegin(), present.cend());
        std::sort(numbers.begin(), numbers.end());
        int next = 1;
        for (const int number : std::as_const(numbers)) {
            checkMissing(next, number - 1);
            checkQuestion(number);
            next = number + 1;
        }
        reportSharedRadioNames();
    }

private:
    // Questions without a file, between those that have one: as many are looked up as the report
    // shows, and the rest are counted, however many the descriptor asks for.
    void checkMissing(int from, int to)
    {
        const QString code = QStringLiteral("missing-question");
        for (int question = from; question <= to; ++question) {
            if (!m_report.shows(m_descriptorShown, code)) {
                m_report.addUnshown(m_descriptorShown, code, Level::Error, qint64(to) - question + 1);
                return;
            }
            checkQuestion(question);
        }
    }

    void checkQuestion(int question)
    {
        const QString rangeName = m_files.rangeName(question);
        const QStringList variants = m_files.variantCandidates(question);
        if (const std::optional<QString> range = m_files.rangeFile(question)) {
            for (const QString &variant : variants) {
                m_report.warning(m_context.shownName(m_files.path(variant)), 0, QStringLiteral("shadowed-variants"),
                    format(CheckTexts::ShadowedVariants, { qint64(question), *range }));
            }
            checkQuestionFile(*range, true, question);
            return;
        }
        if (variants.isEmpty()) {
            m_report.error(m_descriptorShown, m_questionsLine, QStringLiteral("missing-question"),
                format(CheckTexts::MissingQuestion, { qint64(question), rangeName, m_files.variantPattern(question) }));
            return;
        }
        for (const QString &variant : variants) {
            const QString path = m_files.path(variant);
            if (!QFileInfo(path).isFile()) {
                m_report.error(m_context.shownName(path), 0, QStringLiteral("not-a-file"),
                    format(CheckTexts::NotAFile, { variant, CheckTexts::WhatQuestion }));
                continue;
            }
            checkQuestionFile(variant, false, question);
        }
    }

    void checkQuestionFile(const QString &name, bool range, int question)
    {
        const QString path = m_files.path(name);
        const QString shown = m_context.shownName(path);
        const std::optional<QByteArray> bytes = readForCheck(m_context, path, shown, 0, CheckTexts::WhatQuestion);
        if (!bytes)
            return;
        const QString text = decodeDataText(*bytes);
        if (!fitsQuizPage(text, range ? 2 : 1)) {
            m_report.error(
                shown, 0, QStringLiteral("quiz-too-large"), format(CheckTexts::QuizTooLarge, { qint64(question) }));
            return;
        }
        const QStringList lines = splitLines(text);

        QList<qsizetype> separators;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines[i] == Texts::QuestionSeparator) {
                separators.append(i);
            } else if (lines[i].trimmed().compare(Texts::QuestionSeparator, Qt::CaseInsensitive) == 0) {
                m_report.warning(shown, int(i + 1), QStringLiteral("separator-typo"), CheckTexts::SeparatorTypo);
            }
        }
        const qsizetype needed = range ? 2 : 1;
        if (separators.size() < needed) {
            const bool none = separators.isEmpty();
            m_report.error(shown, none ? 0 : int(separators.first() + 1), QStringLiteral("no-separator"),
                format(none ? CheckTexts::NoSeparator : CheckTexts::NoSecondSeparator, { qint64(lines.size()) }));
            return;
        }
        const qsizetype textFrom = range ? separators[0] + 1 : 0;
        const qsizetype textTo = separators[needed - 1];
        const QList<HtmlToken> tokens
            = scanHtml(lines.mid(textFrom, textTo - textFrom).join(QLatin1Char('\n')), int(textFrom + 1));
        checkHtml(m_context, tokens, shown);
        reportFormTags(tokens, shown);
        const QList<FormControl> controls = formControls(tokens);
        for (const FormControl &control : controls) {
            if (control.kind == u"radio")
                m_radios[control.name.toCaseFolded()].append({ question, shown, control.line, control.name });
        }
        checkAnswers(lines, textTo + 1, controls, shown);
    }

    // Every question stands inside the quiz page's one form: a form of the question's own is
    // ignored there, and its end tag ends the quiz's form before the check button.
    void reportFormTags(const QList<HtmlToken> &tokens, const QString &shown)
    {
        for (const HtmlToken &token : tokens) {
            const bool start = token.kind == HtmlToken::Kind::StartTag;
            if (token.name != u"form" || (!start && token.kind != HtmlToken::Kind::EndTag))
                continue;
            m_report.warning(shown, token.line, QStringLiteral("question-form-tag"),
                format(CheckTexts::QuestionFormTag, { start ? QStringLiteral("<form>") : QStringLiteral("</form>") }));
        }
    }

    // Whether the page that the player builds of this one question stays within its limit: the
    // text up to the last separator the file needs, and the answers each with their cost. Stops
    // counting at the limit, so a file of millions of lines is not split.
    static bool fitsQuizPage(const QString &text, int separatorsNeeded)
    {
        LineCursor<QStringView> lines(text);
        qsizetype cost = 0;
        int separators = 0;
        while (!lines.atEnd() && cost <= MaxQuizPageCharacters) {
            const QStringView line = lines.next();
            if (separators < separatorsNeeded) {
                if (line == Texts::QuestionSeparator)
                    ++separators;
                else
                    cost += line.size() + 2;
            } else {
                cost += line.size() + QuizAnswerLineCost;
            }
        }
        return cost <= MaxQuizPageCharacters;
    }

    // The controls of one name, and the values they offer, for the answer lines that name them.
    struct ControlGroup
    {
        QList<const FormControl *> controls;
        bool anyValue = false;
        QStringList values; // each once, in document order
        QSet<QString> exactValues;
        QSet<QString> foldedValues;
    };

    static QHash<QString, ControlGroup> groupControls(const QList<FormControl> &controls)
    {
        QHash<QString, ControlGroup> groups;
        for (const FormControl &control : controls) {
            ControlGroup &group = groups[control.name.toCaseFolded()];
            group.controls.append(&control);
            group.anyValue = group.anyValue || control.anyValue;
            for (const QString &candidate : control.values) {
                if (!group.exactValues.contains(candidate)) {
                    group.exactValues.insert(candidate);
                    group.values.append(candidate);
                }
                group.foldedValues.insert(candidate.toCaseFolded());
            }
        }
        return groups;
    }

    void checkAnswers(
        const QStringList &lines, qsizetype from, const QList<FormControl> &controls, const QString &shown)
    {
        QStringList names;
        for (const FormControl &control : controls)
            names.append(control.name);
        const QHash<QString, ControlGroup> groups = groupControls(controls);
        bool any = false;
        for (qsizetype i = from; i < lines.size(); ++i) {
            const QString &answer = lines[i];
            if (answer.isEmpty())
                continue; // never matches, and costs nothing
            any = true;
            const int line = int(i + 1);
            const qsizetype equals = answer.indexOf(QLatin1Char('='));
            if (equals < 0) {
                m_report.error(shown, line, QStringLiteral("bad-answer-line"),
                    format(CheckTexts::AnswerWithoutEquals, { answer }));
                continue;
            }
            const QString name = answer.left(equals);
            const QString value = answer.mid(equals + 1);
            const auto group = groups.constFind(name.toCaseFolded());
            if (group == groups.cend()) {
                const QString code = QStringLiteral("answer-unknown-control");
                QString hint;
                if (groups.contains(name.trimmed().toCaseFolded()))
                    hint = CheckTexts::BlanksCount;
                else if (const std::optional<QString> near
                    = m_report.shows(shown, code) ? nearestName(name, names) : std::nullopt)
                    hint = format(CheckTexts::Suggestion, { *near });
                m_report.error(shown, line, code, format(CheckTexts::AnswerUnknownControl, { answer, name, hint }));
                continue;
            }
            if (group->anyValue) {
                if (value != value.trimmed())
                    m_report.warning(
                        shown, line, QStringLiteral("answer-blanks"), format(CheckTexts::AnswerBlanks, { answer }));
                continue;
            }
            if (!group->foldedValues.contains(value.toCaseFolded())) {
                m_report.error(shown, line, QStringLiteral("answer-unknown-value"),
                    format(CheckTexts::AnswerUnknownValue,
                        { answer, group->controls.first()->name, value,
                            group->values.join(CheckTexts::ListSeparator) }));
            }
        }
        if (!any) {
            m_report.error(shown, int(from), QStringLiteral("no-answers"), CheckTexts::NoAnswers);
        }
    }

    // Radio buttons of one name form one group in the quiz's form, whichever question they stand in.
    void reportSharedRadioNames()
    {
        for (const QList<RadioUse> &uses : std::as_const(m_radios)) {
            int first = uses.first().question;
            for (const RadioUse &use : uses)
                first = std::min(first, use.question);
            for (const RadioUse &use : uses) {
                if (use.question != first) {
                    m_report.warning(use.file, use.line, QStringLiteral("shared-radio-name"),
                        format(CheckTexts::SharedRadioName, { use.name, qint64(first) }));
                }
            }
        }
    }

    CheckContext &m_context;
    CheckReport &m_report;
    const TTaskChapter &m_chapter;
    const LabFolder m_folder;
    const QuestionFiles m_files;
    const QString m_descriptorShown;
    const int m_questionsLine;
    QMap<QString, QList<RadioUse>> m_radios;
};

} // namespace

void checkExamination(
    CheckContext &context, const TIniFile &descriptor, const QString &descriptorShown, const TTaskChapter &chapter)
{
    // Two examinations with one identifier share their files: check them once.
    if (!context.firstVisit(QStringLiteral("questions:") + QString::number(chapter.Identifier) + u':'
            + QString::number(chapter.Questions)))
        return;
    ExaminationCheck(context, descriptor, descriptorShown, chapter).run();
}

void checkQuizFiles(CheckContext &context, const TLabWork &labWork, const QString &descriptorShown)
{
    QSet<int> examinations;
    const TTaskChapter *first = nullptr;
    for (int i = 0; i < labWork.Chapters().Count(); ++i) {
        if (const auto *task = dynamic_cast<const TTaskChapter *>(labWork.Chapters().Items(i))) {
            examinations.insert(task->Identifier);
            if (!first)
                first = task;
        }
    }
    if (first) {
        const int line = labWork.IniFile().SectionLine(first->SectionName);
        if (const std::optional<QString> sheet = context.findFile(
                QuizStyleSheet, descriptorShown, line, CheckTexts::WhatQuizStyleSheet, Level::Warning, false))
            checkStyleSheet(context, *sheet);
    }
    for (const QString &name : context.topLevelNames()) {
        const std::optional<QuestionFileName> parsed = parseQuestionFileName(name);
        if (!parsed)
            continue;
        const std::optional<int> chapter = canonicalNumber(parsed->chapterDigits);
        if (!chapter || !examinations.contains(*chapter)) {
            context.report().warning(context.shownName(QDir(context.setup().labFolder).filePath(name)), 0,
                QStringLiteral("orphan-question-file"),
                format(CheckTexts::OrphanQuestionFile, { parsed->chapterDigits }));
        }
    }
}

} // namespace kelvo::check
