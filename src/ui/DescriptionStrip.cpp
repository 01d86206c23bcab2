#include "DescriptionStrip.h"

#include <QPainter>

TDescriptionStrip::TDescriptionStrip(QWidget *parent)
    : QLabel(parent)
{
    setFrameStyle(QFrame::NoFrame);
    setContentsMargins(2, 2, 2, 2);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
}

void TDescriptionStrip::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    QPainter painter(this);
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(outer);
    // The lowered bevel: shadow on the top and left, light on the bottom and right.
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(inner.topLeft(), inner.topRight());
    painter.drawLine(inner.topLeft(), inner.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(inner.bottomLeft(), inner.bottomRight());
    painter.drawLine(inner.topRight(), inner.bottomRight());
}
