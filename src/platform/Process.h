#pragma once

#include <QString>

namespace kelvo {

// True when the process runs with the rights of the system administrator (root on Unix).
// The web engine's sandbox refuses to start then unless it is told to do without.
bool runningAsRoot();

// A write beyond the process's limit on file sizes fails with an error (reported as a full
// temporary folder) instead of ending the program with SIGXFSZ.
void ignoreFileSizeLimitSignal();

// Lowers the calling thread's scheduling priority, so that background work (a report being
// written) leaves the processor to the window's thread when both want it.
void yieldCurrentThreadToOthers();

// Writes one line to standard error at once, whatever Qt's message handler does with messages.
void writeErrorLine(const QString &text);

} // namespace kelvo
