#include "uTaskChapter.h"

#include "CodePages.h"
#include "IniFile.h"
#include "LabFolder.h"
#include "QuestionFiles.h"
#include "Random.h"
#include "RuntimeErrors.h"
#include "TextFormat.h"
#include "uLocalization.h"

#include <QSet>

namespace {

const QString LineEnd = QStringLiteral("\r\n");

// The index of the first separator line from `from` on. Throws the list's index error with the
// line count when there is none: reading runs past the last line.
qsizetype separatorLine(const QStringList &lines, qsizetype from)
{
    const qsizetype at = lines.indexOf(Texts::QuestionSeparator, from);
    if (at < 0)
        throw EListError(lines.size());
    return at;
}

void appendLines(QString &page, const QStringList &lines, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i)
        page += lines[i] + LineEnd;
}

// Returns the number of characters appended.
qsizetype appendAnswers(QStringList &answers, const QStringList &lines, qsizetype from)
{
    qsizetype characters = 0;
    for (qsizetype i = from; i < lines.size(); ++i) {
        answers.append(lines[i]);
        characters += lines[i].size();
    }
    return characters;
}

QStringList readQuestionFile(const QuestionFiles &files, const QString &name)
{
    const QByteArray bytes =
        kelvo::readWholeFile(files.path(name), kelvo::LabFolder::shownName(name), kelvo::MaxDataFileBytes);
    return kelvo::splitLines(kelvo::decodeDataText(bytes));
}

} // namespace

TTaskChapter::TTaskChapter(const QString &sectionName, const TIniFile *iniFile)
    : TChapter(sectionName, iniFile)
{
    Questions = IniFile->ReadInteger(SectionName, QStringLiteral("Questions"), 0);
    Heading = IniFile->ReadString(SectionName, QStringLiteral("Heading"), Texts::ErrorReadingChapter);
    Attempts = IniFile->ReadInteger(SectionName, QStringLiteral("Attempts"), -1);
    MessageStyle = IniFile->ReadInteger(SectionName, QStringLiteral("MessageStyle"), 0);
}

QByteArray TTaskChapter::GetHTML()
{
    Answers.clear();
    QString page = kelvo::format(Texts::QuizPageHead, {Heading, qint64(AttemptCount) + 1});

    const kelvo::LabFolder folder;
    const QuestionFiles files(folder, Identifier);
    qsizetype answerCharacters = 0;
    for (int question = 1; question <= Questions; ++question) {
        answerCharacters += appendQuestion(page, files, question);
        if (page.size() + answerCharacters > MaxQuizPageCharacters)
            throw EReadError(kelvo::format(Texts::QuizPageTooLarge, {qint64(question)}));
    }
    page += Texts::QuizPageFooter;
    return kelvo::encodeWindows1251ForHtml(page);
}

qsizetype TTaskChapter::appendQuestion(QString &page, const QuestionFiles &files, int question)
{
    if (const std::optional<QString> range = files.rangeFile(question)) {
        const QStringList lines = readQuestionFile(files, *range);
        const qsizetype headerEnd = separatorLine(lines, 0);
        const qsizetype textEnd = separatorLine(lines, headerEnd + 1);
        appendLines(page, lines, headerEnd + 1, textEnd);
        page += Texts::QuestionRule;
        return appendAnswers(Answers, lines, textEnd + 1);
    }

    const QStringList candidates = files.variantCandidates(question);
    const int chosen = RandomInt(int(candidates.size()));
    if (chosen >= candidates.size())
        throw EListError(chosen);
    const QStringList lines = readQuestionFile(files, candidates[chosen]);
    const qsizetype textEnd = separatorLine(lines, 0);
    appendLines(page, lines, 0, textEnd);
    page += Texts::QuestionRule;
    return appendAnswers(Answers, lines, textEnd + 1);
}

int TTaskChapter::CheckAnswers(const QStringList &results)
{
    ++AttemptCount;
    RightCount = 0;
    // Case folding equates Latin and Cyrillic capitals with their small letters, as the
    // case-insensitive comparison of the user's locale does; empty answer lines never match.
    QSet<QString> accepted;
    accepted.reserve(Answers.size());
    for (const QString &answer : std::as_const(Answers)) {
        if (!answer.isEmpty())
            accepted.insert(answer.toCaseFolded());
    }
    for (const QString &result : results) {
        if (accepted.contains(result.toCaseFolded()))
            ++RightCount;
    }
    return RightCount;
}
