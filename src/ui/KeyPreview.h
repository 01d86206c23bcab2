#pragma once

class QObject;
class QWidget;

namespace kelvo {

// Lets `filter` see every key press of `window` and its controls before the focused control
// does, so that a dialog's own keys (Enter, Esc) work whichever control has the focus: the
// filter is installed on each of them.
void installKeyPreview(QWidget *window, QObject *filter);

} // namespace kelvo
