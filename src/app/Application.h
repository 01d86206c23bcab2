#pragma once

#include <QString>
#include <QStringList>

namespace kelvo {

// The program with its window: start-up, the message loop, the shutdown. Returns the exit code.
// `arguments` hold the lab work's path, if any. With a `reportFolder`, the run's report is
// written there after every check and at the end.
int runWindow(int &argc, char **argv, const QStringList &arguments, const QString &reportFolder);

} // namespace kelvo
