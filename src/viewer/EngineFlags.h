#pragma once

#include <QByteArray>
#include <QStringList>

// The web engine's command-line switches that the program adds to those of the environment
// (QTWEBENGINE_CHROMIUM_FLAGS). The engine reads them once, when it starts.
namespace kelvo::engineflags {

// The switches for a run: with the sandbox off, the page process is started directly instead of
// from the engine's two zygote processes, which only a sandbox needs.
QStringList forRun(bool sandboxOff);

// Whether the engine will run without its sandbox: QTWEBENGINE_DISABLE_SANDBOX set (to any value),
// or --no-sandbox among the switches.
bool sandboxOff(bool disableSandboxSet, const QByteArray &flags);

// `existing` with each of `extra` that it does not name already; the user's switches are kept.
QByteArray merged(const QByteArray &existing, const QStringList &extra);

// Adds forRun() to the environment of this process; before the engine starts.
void apply();

} // namespace kelvo::engineflags
