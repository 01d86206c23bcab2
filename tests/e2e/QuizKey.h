#pragma once

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

// What a teacher knows about an examination: its question files with their answer lines, read
// from the lab work's sources, and which of the alternative files a generated page shows.
namespace kelvo::e2e {

struct QuestionFile
{
    QString name;
    QString visibleText; // the question's text as the page shows it, blanks removed
    QList<QPair<QString, QString>> answers; // name, value
};

// The question files of the examination with `identifier`, by question number from 1 to
// `questions`: the range file alone when there is one, otherwise every variant file.
QMap<int, QList<QuestionFile>> readQuestionFiles(const QString &folder, int identifier, int questions);

// The text of an HTML fragment as a page shows it, without selection lists (their texts are
// choices, not the question) and without any blanks.
QString visibleText(const QString &html);

// The file of `candidates` whose text the page shows (`pageText` as visibleText gives it);
// nothing when none or more than one does.
const QuestionFile *shownFile(const QList<QuestionFile> &candidates, const QString &pageText);

} // namespace kelvo::e2e
