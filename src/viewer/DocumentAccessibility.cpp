#include "DocumentAccessibility.h"

#include <QtGlobal>

namespace kelvo {

namespace {

const char AccessibilityVariable[] = "QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY";
// From this version on the engine's accessibility is on unless the variable is "0".
const QVersionNumber OnByDefaultFrom(6, 6);

} // namespace

EngineAccessibilityAction engineAccessibilityAction(
    const std::optional<QByteArray> &current, const QVersionNumber &engineVersion)
{
    const bool onByDefault = engineVersion >= OnByDefaultFrom;
    if (!current)
        return onByDefault ? EngineAccessibilityAction::Keep : EngineAccessibilityAction::SetOn;
    // Before 6.6 any value turns it on, "0" as well: only removing it turns it off.
    if (current->trimmed() == "0")
        return onByDefault ? EngineAccessibilityAction::Keep : EngineAccessibilityAction::Remove;
    return EngineAccessibilityAction::Keep;
}

void allowDocumentAccessibility()
{
    std::optional<QByteArray> current;
    if (qEnvironmentVariableIsSet(AccessibilityVariable))
        current = qgetenv(AccessibilityVariable);
    switch (engineAccessibilityAction(current, QVersionNumber(QT_VERSION_MAJOR, QT_VERSION_MINOR))) {
    case EngineAccessibilityAction::SetOn:
        qputenv(AccessibilityVariable, "1");
        break;
    case EngineAccessibilityAction::Remove:
        qunsetenv(AccessibilityVariable);
        break;
    case EngineAccessibilityAction::Keep:
        break;
    }
}

} // namespace kelvo
