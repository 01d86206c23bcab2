#pragma once

class QKeyEvent;
class QPainter;
class QRect;
class QWidget;

namespace kelvo {

// A dotted frame inside `rect` in the widget's text colour: the sign that the widget has the
// keyboard. Drawn whenever the widget has the focus, however it got it, so that a student who
// starts with the keyboard sees where it is at once.
void drawFocusFrame(QPainter &painter, const QRect &rect, const QWidget &widget);

// Whether a key press activates the focused control as a click would: Enter, Return or Space
// without Ctrl, Alt or Meta.
bool isActivationKey(const QKeyEvent &event);

} // namespace kelvo
