#pragma once

#include <QString>

#include <memory>

namespace kelvo {

class RunFolder;

// kelvo --check PATH [--json]: loads PATH as start-up does, checks the lab work and prints the
// findings, one per line, and a summary (or one JSON object). Returns 0 without errors, 1 with
// errors or when PATH cannot be loaded at all (the start-up message then goes to standard error).
// Needs an application object for the picture decoders; `runFolder` is the one made before it
// (makeRunFolder, keepRuntimeFilesIn), so that the toolkit's runtime files go with the run.
int runCheck(const QString &path, bool json, std::unique_ptr<RunFolder> runFolder);

} // namespace kelvo
