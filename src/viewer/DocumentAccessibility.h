#pragma once

#include <QByteArray>
#include <QVersionNumber>

#include <optional>

// Whether the web engine builds a document's accessibility tree, so that a screen reader hears
// the documents and quizzes.
//
// The engine follows Qt's own accessibility switch, which is on while an assistive technology
// listens (on Linux the AT-SPI bus says so; QT_LINUX_ACCESSIBILITY_ALWAYS_ON forces it), and
// builds nothing while it is off. On Linux it does so only when QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY
// allows it, read once as the engine starts: before 6.6 only when the variable is set (to anything),
// from 6.6 on unless it is "0".
namespace kelvo {

enum class EngineAccessibilityAction { Keep, SetOn, Remove };

// What to do with the variable, given its value (none when unset) and the engine's version, so
// that the engine follows the assistive technology; "0" stays the user's way to turn it off.
EngineAccessibilityAction engineAccessibilityAction(
    const std::optional<QByteArray> &current, const QVersionNumber &engineVersion);

// Applies the action to this process's environment; to be run before the engine starts.
void allowDocumentAccessibility();

} // namespace kelvo
