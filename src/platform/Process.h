#pragma once

namespace kelvo {

// True when the process runs with the rights of the system administrator (root on Unix).
// The web engine's sandbox refuses to start then unless it is told to do without.
bool runningAsRoot();

} // namespace kelvo
