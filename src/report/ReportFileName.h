#pragma once

#include <QString>

namespace kelvo {

class RunRecord;

// The name of a run's report files without their extension: TITLE_YYYY-MM-DD_HH-MM-SS_WHO, the
// lab work's title (or the package's name when it has none), the start of the run and the
// student's name (the computer's user name when no student is known: a classroom's computers
// often share one account), each made a fileNamePart.
QString reportFileStem(const RunRecord &record);

// A part of a report's file name: letters, digits and a few safe signs of the first `maxLength`
// characters of `text`; anything else (separators, quotes, control characters) becomes "_", so
// that a title cannot name another folder or a hidden file. Never empty.
QString fileNamePart(const QString &text, qsizetype maxLength);

} // namespace kelvo
