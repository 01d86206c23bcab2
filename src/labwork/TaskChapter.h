#pragma once

#include "Chapter.h"

#include <QList>

class QuestionFiles;

// A question as the page generated last showed it: its HTML and its answer lines.
struct QuizQuestion
{
    QString text;
    QStringList answers;
};

// An examination: a quiz generated from question files, checked against their answer lines.
class TTaskChapter final : public TChapter
{
public:
    TTaskChapter(const QString &sectionName, const TIniFile *iniFile);

    // A new quiz page: one question file per question (the range file, else one of the variant
    // files drawn at random), the page in Windows-1251 bytes. Refills Answers with the answer
    // lines of the files used. Throws EListError when a question has no file or a file lacks
    // its separator line, EFOpenError when the chosen file cannot be read.
    QByteArray GetHTML() override;
    // Counts the submitted lines that equal an answer line without regard to case.
    int CheckAnswers(const QStringList &results) override;
    QString ClassName() const override { return QStringLiteral("TTaskChapter"); }

    QStringList Answers;
    qint32 RightCount = 0;
    qint32 Questions = 0;
    QString Heading;
    qint32 AttemptCount = 0;
    qint32 Attempts = -1;
    qint32 MessageStyle = 0;
    // After a check: 0 the menu; 1 the checked page again, each question marked right or wrong;
    // 2 the same with the expected answers beside wrong ones.
    qint32 Review = 0;
    QList<QuizQuestion> PageQuestions; // of the page generated last, when Review asks for them

private:
    // Appends a question's text to the page and its answer lines to Answers; `answerCost` sums
    // up what the answer lines count against the page's limit. Throws EReadError (and keeps
    // none of the question's answer lines) when the limit is passed.
    void appendQuestion(QString &page, const QuestionFiles &files, int question, qsizetype &answerCost);
};

// The most characters a quiz page and its answer lines may take together, each answer line
// counting QuizAnswerLineCost more: thousands of times what a quiz needs, little enough that a
// hostile question file cannot fill the memory.
inline constexpr qsizetype MaxQuizPageCharacters = 16ll * 1024 * 1024;
inline constexpr qsizetype QuizAnswerLineCost = 32;
