#pragma once

#include <QMetaObject>
#include <QString>

class TSchemaDevice;

// What a screen reader is told of the program's own controls where Qt's own interfaces say too
// little: a variant button is a toggle that is on for the current variant, a device whose value a
// click sets is a button, the schema picture is a picture, and the HTML page kept under another
// page is not there.
namespace kelvo {

// Installs the interfaces once; later calls do nothing.
void installAccessibleControls();
// Widgets of the class (a panel that reports a click through its clicked() signal) are told as
// buttons named by their text, whose press action sends that signal.
void tellAsButton(const QMetaObject &widgetClass);
// A device as a screen reader names it: its title, or its section when it has none of its own.
QString spokenTitle(const TSchemaDevice &device);

} // namespace kelvo
