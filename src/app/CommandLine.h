#pragma once

namespace kelvo {

// The program's entry: the headless forms (--help, --version, --dump PATH) or the window.
int runKelvo(int argc, char *argv[]);

} // namespace kelvo
