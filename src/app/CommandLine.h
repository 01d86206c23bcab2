#pragma once

#include "Application.h"

namespace kelvo {

// The program's entry: the headless forms (--help, --version, --dump PATH) or the window, given
// to `hook` once it is made (see runWindow).
int runKelvo(int argc, char *argv[], const MainWindowHook &hook = {});

} // namespace kelvo
