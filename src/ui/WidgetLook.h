#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QString>

// How the program's windows are drawn: fonts by name and character height in pixels or size in
// points, coloured panels with raised or lowered bevels.
namespace kelvo {

// A font named by the Windows family a layout was drawn for is made with the installed family that
// draws it (pictures::fontFamilyFor).
QFont pixelFont(const QString &family, int pixelSize, bool bold = false, bool italic = false, bool underline = false);
QFont pointFont(const QString &family, int pointSize);

// The font made smaller, in steps, until `text` is at most `width` pixels wide in it: the fonts
// that stand in for the layouts' Windows fonts are often wider. Never below 6 pixels (or points).
QFont fittingFont(QFont font, const QString &text, int width);

// Gives a widget its own background and text colour.
void setColours(QWidget *widget, const QColor &background, const QColor &text = QColor());

enum class Bevel { None, Raised, Lowered };

// A panel at a place and size of its parent, with a bevel and a background colour (an invalid
// colour keeps the parent's).
QFrame *makePanel(QWidget *parent, const QRect &geometry, Bevel bevel, const QColor &background = QColor());

} // namespace kelvo
