#include "FocusFrame.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPen>
#include <QWidget>

namespace kelvo {

void drawFocusFrame(QPainter &painter, const QRect &rect, const QWidget &widget)
{
    painter.save();
    QPen pen(widget.palette().color(widget.foregroundRole()), 1, Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

bool isActivationKey(const QKeyEvent &event)
{
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter || event.key() == Qt::Key_Space;
}

} // namespace kelvo
