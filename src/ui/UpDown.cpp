#include "UpDown.h"

#include <QKeyEvent>
#include <QToolButton>

#include <utility>

TUpDown::TUpDown(QWidget *parent)
    : QWidget(parent)
    , m_up(new QToolButton(this))
    , m_down(new QToolButton(this))
{
    setFocusPolicy(Qt::TabFocus);
    for (QToolButton *button : { m_up, m_down }) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setAutoRaise(false);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setObjectName(QStringLiteral("UpDownUp"));
    m_down->setObjectName(QStringLiteral("UpDownDown"));
    connect(m_up, &QToolButton::clicked, this, &TUpDown::stepUp);
    connect(m_down, &QToolButton::clicked, this, &TUpDown::stepDown);
}

void TUpDown::setRange(int min, int max)
{
    if (min > max)
        std::swap(min, max);
    m_min = min;
    m_max = max;
    m_position = qBound(m_min, m_position, m_max);
}

void TUpDown::setPosition(int position)
{
    change(position, Direction::None);
}

void TUpDown::stepUp()
{
    if (m_position < m_max)
        change(m_position + 1, Direction::Up);
}

void TUpDown::stepDown()
{
    if (m_position > m_min)
        change(m_position - 1, Direction::Down);
}

void TUpDown::change(int position, Direction direction)
{
    if (position == m_position)
        return;
    if (m_changing && !m_changing(position, direction))
        return;
    // The handler may have moved the position meanwhile; the requested one wins, as it was asked for.
    m_position = qBound(m_min, position, m_max);
}

void TUpDown::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        stepUp();
        break;
    case Qt::Key_Down:
        stepDown();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TUpDown::resizeEvent(QResizeEvent *)
{
    const int upper = height() / 2;
    m_up->setGeometry(0, 0, width(), upper);
    m_down->setGeometry(0, upper, width(), height() - upper);
}
