#pragma once

#include <QString>

class TIniFile;
class TLabWork;
class TTaskChapter;

namespace kelvo::check {

class CheckContext;

// Checks the question files of one examination chapter: a file for every question, separator
// lines, answer lines that can match a control of the question, the questions' HTML.
void checkExamination(
    CheckContext &context, const TIniFile &descriptor, const QString &descriptorShown, const TTaskChapter &chapter);

// Checks what all examinations share: the quiz style sheet, and question files that belong to no
// examination.
void checkQuizFiles(CheckContext &context, const TLabWork &labWork, const QString &descriptorShown);

} // namespace kelvo::check
