#pragma once

class QObject;
class QWidget;

namespace kelvo {

// Lets `filter` see every key press of `window` and its controls before the focused control
// does (the "key preview" of the original dialogs): the filter is installed on each of them.
void installKeyPreview(QWidget *window, QObject *filter);

} // namespace kelvo
