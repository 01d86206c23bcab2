#pragma once

#include "StudentIdentity.h"

#include <QString>
#include <QStringList>

namespace kelvo {

// The program with its window: start-up, the message loop, the shutdown. Returns the exit code.
// `arguments` hold the lab work's path, if any. With a `reportFolder`, the run's report is
// written there after every check and at the end. The `student` a launcher gave is named in the
// report; with a report folder and no student given, the student is asked before the menu shows.
int runWindow(
    int &argc, char **argv, const QStringList &arguments, const QString &reportFolder, const StudentIdentity &student);

} // namespace kelvo
