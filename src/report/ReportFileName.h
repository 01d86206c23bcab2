#pragma once

#include <QString>

namespace kelvo {

class RunRecord;

// The name of a run's report files without their extension: TITLE_YYYY-MM-DD_HH-MM-SS_USER, the
// lab work's title (or the package's name when it has none), the start of the run and the
// computer's user name, each with every character other than a letter, a digit, "-" or "." made
// "_", so that it names a file in the folder it is written to and nothing else.
QString reportFileStem(const RunRecord &record);

} // namespace kelvo
