#include "ClickPanel.h"

#include "FocusFrame.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

TClickPanel::TClickPanel(QWidget *parent)
    : QLabel(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void TClickPanel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

void TClickPanel::keyPressEvent(QKeyEvent *event)
{
    if (kelvo::isActivationKey(*event) && !event->isAutoRepeat()) {
        event->accept();
        Q_EMIT clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void TClickPanel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    const int inset = frameWidth() + 2;
    kelvo::drawFocusFrame(painter, rect().adjusted(inset, inset, -inset, -inset), *this);
}
