#pragma once

#include <QString>

#include <functional>

// Messages of the lab work model that a window shows, or that a headless run prints. The model
// knows no widgets: the window installs its handlers; the defaults print on standard error.
namespace kelvo {

using ActivationErrorHandler = std::function<void(const QString &text)>;

// An experiment's start variant is missing ("Activation error!"). Returns the handler that was
// installed before; an empty handler brings back the default.
ActivationErrorHandler setActivationErrorHandler(ActivationErrorHandler handler);
void reportActivationError(const QString &text);

// A measurement device's value text that does not evaluate.
struct ValueTextError
{
    QString chapter; // section name of the experiment chapter
    QString device; // section name of the measurement device
    QString text; // the value text as evaluated
    QString reason; // why it does not evaluate
};

using ValueTextErrorHandler = std::function<void(const ValueTextError &error)>;

// Returns the handler that was installed before; an empty handler brings back the default.
ValueTextErrorHandler setValueTextErrorHandler(ValueTextErrorHandler handler);
void reportValueTextError(const ValueTextError &error);

// One line for an author: chapter, device, text and reason.
QString describeValueTextError(const ValueTextError &error);

} // namespace kelvo
