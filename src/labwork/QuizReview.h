#pragma once

#include <QByteArray>
#include <QStringList>

class TTaskChapter;
struct QuizQuestion;

namespace kelvo {

// How one question of a checked quiz went. A question is right when every answer it can count
// was given and nothing given to its controls was wrong; the counting is the check's own.
struct QuestionMark
{
    bool right = false;
    int counted = 0; // submitted lines of its controls that the check counted
    int possible = 0; // the most it can count
};

QuestionMark markQuestion(const QuizQuestion &question, const QStringList &results);

// The checked page again, read-only: each question with the student's answers as given and its
// mark; with `showExpected`, the expected answers beside the wrong ones (the right choices
// outlined, the first answer line of a typed field written out). One button leads to the menu.
QByteArray quizReviewPage(const TTaskChapter &chapter, const QStringList &results, bool showExpected);

} // namespace kelvo
