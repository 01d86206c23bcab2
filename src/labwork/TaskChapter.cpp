#include "TaskChapter.h"

#include "AnswerMatcher.h"
#include "CodePages.h"
#include "IniFile.h"
#include "LabFolder.h"
#include "LabWorkKeys.h"
#include "LineCursor.h"
#include "Localization.h"
#include "QuestionFiles.h"
#include "Random.h"
#include "RuntimeErrors.h"
#include "TextFormat.h"

namespace {

const QString LineEnd = QStringLiteral("\r\n");

using Lines = kelvo::LineCursor<QStringView>;

// Hands each line before the next separator line to `take` and passes the separator. Throws the
// list's index error with the file's number of lines when there is none: reading runs past the
// last line.
template <typename Take> void untilSeparator(Lines &lines, Take take)
{
    while (!lines.atEnd()) {
        const QStringView line = lines.next();
        if (line == Texts::QuestionSeparator)
            return;
        take(line);
    }
    throw EListError(lines.count());
}

QString readQuestionText(const QuestionFiles &files, const QString &name)
{
    return kelvo::decodeDataText(
        kelvo::readWholeFile(files.path(name), kelvo::LabFolder::shownName(name), kelvo::MaxDataFileBytes));
}

} // namespace

TTaskChapter::TTaskChapter(const QString &sectionName, const TIniFile *iniFile)
    : TChapter(sectionName, iniFile)
{
    namespace keys = kelvo::keys::examination;
    Questions = kelvo::readKey(*IniFile, SectionName, keys::Questions);
    Heading = kelvo::readKey(*IniFile, SectionName, keys::Heading);
    Attempts = kelvo::readKey(*IniFile, SectionName, keys::Attempts);
    MessageStyle = kelvo::readKey(*IniFile, SectionName, keys::MessageStyle);
    Review = kelvo::readKey(*IniFile, SectionName, keys::Review);
}

QByteArray TTaskChapter::GetHTML()
{
    Answers.clear();
    PageQuestions.clear();
    QString page = kelvo::format(Texts::QuizPageHead, { Heading, qint64(AttemptCount) + 1 });

    const kelvo::LabFolder folder;
    const QuestionFiles files(folder, Identifier);
    qsizetype answerCost = 0;
    for (int question = 1; question <= Questions; ++question)
        appendQuestion(page, files, question, answerCost);
    page += Texts::QuizPageFooter;
    return kelvo::encodeWindows1251ForHtml(page);
}

void TTaskChapter::appendQuestion(QString &page, const QuestionFiles &files, int question, qsizetype &answerCost)
{
    const std::optional<QString> range = files.rangeFile(question);
    QString name;
    if (range) {
        name = *range;
    } else {
        const QStringList candidates = files.variantCandidates(question);
        const int chosen = RandomInt(int(candidates.size()));
        if (chosen >= candidates.size())
            throw EListError(chosen);
        name = candidates[chosen];
    }

    // The file is read line by line as views into its text, and the page's limit is checked
    // with every line: a file of very many short lines stops early instead of filling memory.
    const QString text = readQuestionText(files, name);
    Lines lines(text);
    const qsizetype answersBefore = Answers.size();
    const auto withinLimit = [&] {
        if (page.size() + answerCost > MaxQuizPageCharacters) {
            Answers.resize(answersBefore);
            throw EReadError(kelvo::format(Texts::QuizPageTooLarge, { qint64(question) }));
        }
    };
    if (range)
        untilSeparator(lines, [](QStringView) {});
    const qsizetype textStart = page.size();
    untilSeparator(lines, [&](QStringView line) {
        page += line;
        page += LineEnd;
        withinLimit();
    });
    const qsizetype textEnd = page.size();
    page += Texts::QuestionRule;
    while (!lines.atEnd()) {
        const QStringView line = lines.next();
        Answers.append(line.toString());
        answerCost += line.size() + QuizAnswerLineCost;
        withinLimit();
    }
    // Kept for the review only: without it the page's questions are not held twice.
    if (Review > 0)
        PageQuestions.append({ page.sliced(textStart, textEnd - textStart), Answers.sliced(answersBefore) });
}

int TTaskChapter::CheckAnswers(const QStringList &results)
{
    ++AttemptCount;
    RightCount = 0;
    const AnswerMatcher matcher(Answers);
    for (const QString &result : results) {
        if (matcher.matches(result))
            ++RightCount;
    }
    return RightCount;
}
