#pragma once

#include "StudentIdentity.h"

#include <QString>
#include <QStringList>

#include <functional>

class TMainForm;

namespace kelvo {

// Given the main window once it is made, before it is shown. The program a student runs passes
// none; the benchmarks' own build of it (bench/) installs its trace here.
using MainWindowHook = std::function<void(TMainForm &)>;

// The program with its window: start-up, the message loop, the shutdown. Returns the exit code.
// `arguments` hold the lab work's path, if any. With a `reportFolder`, the run's report is
// written there after every check and at the end. The `student` a launcher gave is named in the
// report; with a report folder and no student given, the student is asked before the menu shows.
int runWindow(int &argc, char **argv, const QStringList &arguments, const QString &reportFolder,
    const StudentIdentity &student, const MainWindowHook &hook = {});

} // namespace kelvo
