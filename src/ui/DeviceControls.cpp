#include "DeviceControls.h"

#include "FocusFrame.h"
#include "WidgetLook.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int OutlineWidth = 3;
constexpr int FocusInset = OutlineWidth + 1;

} // namespace

TDevLabel::TDevLabel(QWidget *parent)
    : QLabel(parent)
{
}

void TDevLabel::ApplyProperties()
{
    QFont font = kelvo::pointFont(QStringLiteral("Tahoma"), 10);
    font.setBold(true);
    setFont(font);
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(false);
    setCursor(Qt::PointingHandCursor);
    setTextColour(Qt::black);
}

void TDevLabel::setCaption(const QString &caption)
{
    setText(caption);
    adjustSize();
}

void TDevLabel::setTextColour(const QColor &colour)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, colour);
    setPalette(palette);
}

void TDevLabel::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    setTextColour(QColor(255, 0, 0));
}

void TDevLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    if (!hasFocus())
        setTextColour(Qt::black);
}

void TDevLabel::focusInEvent(QFocusEvent *event)
{
    QLabel::focusInEvent(event);
    setTextColour(QColor(255, 0, 0));
}

void TDevLabel::focusOutEvent(QFocusEvent *event)
{
    QLabel::focusOutEvent(event);
    if (!underMouse())
        setTextColour(Qt::black);
}

void TDevLabel::keyPressEvent(QKeyEvent *event)
{
    if (kelvo::isActivationKey(*event) && !event->isAutoRepeat()) {
        event->accept();
        Q_EMIT activated();
        return;
    }
    QLabel::keyPressEvent(event);
}

void TDevLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    kelvo::drawFocusFrame(painter, rect(), *this);
}

void TDevLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TDevLabel::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a press and a release of the left button over the label.
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        Q_EMIT clicked();
}

TDevEdit::TDevEdit(QWidget *parent)
    : QLineEdit(parent)
{
}

void TDevEdit::ApplyProperties()
{
    setFont(kelvo::pointFont(QStringLiteral("Fixedsys"), 10));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Text, palette.color(QPalette::WindowText));
    setPalette(palette);
    setReadOnly(true);
    setFocusPolicy(Qt::ClickFocus);
    // Flat: a one-pixel line drawn by paintEvent instead of the style's sunken frame.
    setFrame(false);
    setContentsMargins(1, 1, 1, 1);
    resize(width(), sizeHint().height());
    setMouseTracking(true);
}

void TDevEdit::mouseMoveEvent(QMouseEvent *event)
{
    QLineEdit::mouseMoveEvent(event);
    Q_EMIT mouseMoved(this);
}

void TDevEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    Q_EMIT focusChanged(this, true);
}

void TDevEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    Q_EMIT focusChanged(this, false);
}

void TDevEdit::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

TDevShape::TDevShape(QWidget *parent)
    : QWidget(parent)
{
}

void TDevShape::ApplyProperties()
{
    setAutoFillBackground(false);
    setMouseTracking(true);
    HideIt();
    setVisible(true);
}

void TDevShape::HideIt()
{
    if (!m_outlineShown)
        return;
    m_outlineShown = false;
    update();
}

void TDevShape::ShowIt()
{
    if (m_outlineShown)
        return;
    m_outlineShown = true;
    update();
}

void TDevShape::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    // Inside the outline, so that the two never hide each other.
    if (hasFocus())
        kelvo::drawFocusFrame(painter, rect().adjusted(FocusInset, FocusInset, -FocusInset, -FocusInset), *this);
    if (!m_outlineShown)
        return;
    const int w = width();
    const int h = height();
    const int side = qMin(OutlineWidth, qMin(w, h));
    painter.fillRect(0, 0, w, side, Qt::black);
    painter.fillRect(0, h - side, w, side, Qt::black);
    painter.fillRect(0, 0, side, h, Qt::black);
    painter.fillRect(w - side, 0, side, h, Qt::black);
}

void TDevShape::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
    Q_EMIT focusChanged(this, true);
}

void TDevShape::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
    Q_EMIT focusChanged(this, false);
}

void TDevShape::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (width() <= 0 || height() <= 0)
        return;
    Q_EMIT mouseMoved(this, event->modifiers(), event->position().toPoint());
}
