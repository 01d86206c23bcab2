#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// The program's own pictures, by resource name ("BUBBLE_RED", "EXIT", "GREEN_ON", ...). They are
// drawn from vector art at the screen's resolution, so they stay crisp on high-DPI screens.
namespace kelvo {

// The picture's size in device-independent pixels; empty for an unknown name.
QSize glyphSize(const QString &name);
QPixmap glyphPixmap(const QString &name, qreal devicePixelRatio = 1.0);
// The picture at its size for every resolution Qt asks for (disabled state greyed by Qt).
QIcon glyphIcon(const QString &name);
// The program's own icon for its windows, at the sizes window managers ask for; the small sizes
// from a drawing of their own ("KELVO_SMALL"), so that they stay sharp.
QIcon programIcon();

} // namespace kelvo
