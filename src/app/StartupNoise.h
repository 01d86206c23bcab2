#pragma once

namespace kelvo {

// Keeps the terminal quiet on an ordinary run: the web engine's "Init Parameters" block (category
// qt.webenginecontext, info), Qt's note that XDG_RUNTIME_DIR is not set, which the headless
// forms print, and the engine's note that it has no OpenGL, where it draws in software (both
// category kelvo.startup, warning), tell a student or an author nothing. A rule in
// QT_LOGGING_RULES ("qt.webenginecontext.info=true", "kelvo.startup.warning=true") brings them
// back: the environment's rules come after the program's own. Call before the application object.
void quietStartupNoise();

} // namespace kelvo
