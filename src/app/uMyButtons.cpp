#include "uMyButtons.h"

#include "Glyphs.h"

#include <QStyleOptionButton>
#include <QStylePainter>

TMyBitBtn::TMyBitBtn(QWidget *parent)
    : QPushButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void TMyBitBtn::ApplyProperties(const QString &caption, int left, int top, int width, int height)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(16);
    font.setBold(true);
    setFont(font);
    QPalette colours = palette();
    colours.setColor(QPalette::ButtonText, palette().color(QPalette::WindowText));
    setPalette(colours);
    m_margin = 10;
    m_spacing = 10;
    setText(caption);
    setGeometry(left, top, width, height);
}

void TMyBitBtn::setGlyph(const QString &name)
{
    m_glyph = name;
    repaint();
}

void TMyBitBtn::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option);

    QPoint shift;
    if (isDown())
        shift = QPoint(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    int x = m_margin;
    if (!m_glyph.isEmpty()) {
        const QPixmap pixmap = kelvo::glyphPixmap(m_glyph, devicePixelRatioF());
        const QSize size = pixmap.deviceIndependentSize().toSize();
        painter.drawPixmap(QPoint(x, (height() - size.height()) / 2) + shift, pixmap);
        x += size.width() + m_spacing;
    }
    const QRect textRect = QRect(x, 0, width() - x - 4, height()).translated(shift);
    painter.setClipRect(rect().adjusted(2, 2, -2, -2));
    painter.drawItemText(textRect, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), text(),
                         QPalette::ButtonText);
}
