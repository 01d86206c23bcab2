#pragma once

#include <QStringList>

namespace kelvo {

// The program with its window: start-up, the message loop, the shutdown. Returns the exit code.
int runWindow(int &argc, char **argv, const QStringList &arguments);

} // namespace kelvo
