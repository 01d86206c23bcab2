#include "GlyphButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>
#include <QSvgRenderer>

TGlyphButton::TGlyphButton(const QString &caption, const QString &svgPath, QSize glyphSize, int spacing,
                           QWidget *parent)
    : QPushButton(caption, parent)
    , m_svgPath(svgPath)
    , m_glyphSize(glyphSize)
    , m_spacing(spacing)
{
}

QSize TGlyphButton::sizeHint() const
{
    const QSize caption = fontMetrics().size(Qt::TextShowMnemonic, text());
    return QSize(m_glyphSize.width() + m_spacing + caption.width() + 16, qMax(m_glyphSize.height(), caption.height()) + 12);
}

void TGlyphButton::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option);

    const int textWidth = fontMetrics().horizontalAdvance(text());
    const int contentWidth = m_glyphSize.width() + m_spacing + textWidth;
    QPoint origin((width() - contentWidth) / 2, 0);
    if (isDown() || isChecked())
        origin += QPoint(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                         style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));

    const QRect glyph(origin + QPoint(0, (height() - m_glyphSize.height()) / 2), m_glyphSize);
    QSvgRenderer renderer(m_svgPath);
    if (!isEnabled())
        painter.setOpacity(0.4);
    renderer.render(&painter, glyph);
    painter.setOpacity(1.0);

    const QRect textRect(glyph.right() + 1 + m_spacing, origin.y(), textWidth, height());
    painter.drawItemText(textRect, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), text(),
                         QPalette::ButtonText);
}
