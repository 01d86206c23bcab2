#pragma once

#include <QString>

namespace kelvo {

// kelvo --check PATH [--json]: loads PATH as start-up does, checks the lab work and prints the
// findings, one per line, and a summary (or one JSON object). Returns 0 without errors, 1 with
// errors or when PATH cannot be loaded at all (the start-up message then goes to standard error).
// Needs an application object for the picture decoders.
int runCheck(const QString &path, bool json);

} // namespace kelvo
