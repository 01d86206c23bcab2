#include "BitButton.h"

#include "FocusFrame.h"
#include "Glyphs.h"

#include <QKeyEvent>
#include <QList>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace {

// The button's frame, which a glyph beside the caption leaves free.
constexpr int FrameWidth = 2;
// The focus frame stands just inside the button's frame.
constexpr int FocusInset = 3;

// The style keeps the panels it has drawn by size, state and the palette's identity, and every
// button holds a palette of its own, equal or not: equal palettes are given one identity here, so
// that the menu's buttons, alike in size and colours, share one drawn panel. GUI thread only.
QPalette sharedPalette(const QPalette &palette)
{
    static QList<QPalette> known;
    constexpr qsizetype KnownAtMost = 16;
    auto found = std::find(known.cbegin(), known.cend(), palette);
    if (found == known.cend()) {
        if (known.size() == KnownAtMost)
            known.removeFirst();
        known.append(palette);
        found = known.cend() - 1;
    }
    QPalette shared = *found;
    shared.setCurrentColorGroup(palette.currentColorGroup());
    return shared;
}

} // namespace

TBitButton::TBitButton(const QString &caption, Layout layout, QWidget *parent)
    : QPushButton(caption, parent)
    , m_layout(layout)
{
    setAutoDefault(false);
    setDefault(false);
}

void TBitButton::setGlyph(const QString &name)
{
    if (name == m_glyph)
        return;
    m_glyph = name;
    m_pixmap = QPixmap();
    m_pixmapRatio = 0;
    update();
}

void TBitButton::setSpacing(int pixels)
{
    m_spacing = pixels;
    update();
}

void TBitButton::setMargin(int pixels)
{
    m_margin = pixels;
    update();
}

const QPixmap &TBitButton::glyphPixmap()
{
    const qreal ratio = devicePixelRatioF();
    if (!m_glyph.isEmpty() && ratio != m_pixmapRatio) {
        m_pixmap = kelvo::glyphPixmap(m_glyph, ratio);
        m_pixmapRatio = ratio;
    }
    return m_pixmap;
}

QSize TBitButton::sizeHint() const
{
    const QSize caption = fontMetrics().size(Qt::TextShowMnemonic, text());
    const QSize glyph = m_glyph.isEmpty() ? QSize() : kelvo::glyphSize(m_glyph);
    if (m_layout == Layout::GlyphTop)
        return QSize(qMax(glyph.width(), caption.width()) + 16, glyph.height() + m_spacing + caption.height() + 12);
    return QSize(glyph.width() + m_spacing + caption.width() + 16, qMax(glyph.height(), caption.height()) + 12);
}

QSize TBitButton::glyphDrawnSize() const
{
    QSize glyph = m_glyph.isEmpty() ? QSize() : kelvo::glyphSize(m_glyph);
    if (glyph.isEmpty())
        return QSize(0, 0);
    const int room = qMax(0, height() - 2 * FrameWidth);
    if (m_layout == Layout::GlyphLeft && glyph.height() > room)
        glyph = glyph.scaled(glyph.width(), room, Qt::KeepAspectRatio);
    return glyph;
}

QRect TBitButton::glyphRect() const
{
    const QSize glyph = glyphDrawnSize();
    const int gap = glyph.isEmpty() || text().isEmpty() ? 0 : m_spacing;
    if (m_layout == Layout::GlyphTop) {
        const int top = (height() - (glyph.height() + gap + fontMetrics().height())) / 2;
        return QRect(QPoint((width() - glyph.width()) / 2, top), glyph);
    }
    const int caption = fontMetrics().horizontalAdvance(text());
    const int left = m_margin >= 0 ? m_margin : (width() - (glyph.width() + gap + caption)) / 2;
    return QRect(QPoint(left, (height() - glyph.height()) / 2), glyph);
}

void TBitButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    option.palette = sharedPalette(option.palette);
    painter.drawControl(QStyle::CE_PushButton, option);

    const QPixmap &pixmap = glyphPixmap();
    const QSize glyph = pixmap.isNull() ? QSize(0, 0) : glyphDrawnSize();
    const int gap = glyph.isEmpty() || text().isEmpty() ? 0 : m_spacing;
    const QSize caption(fontMetrics().horizontalAdvance(text()), fontMetrics().height());

    QPoint shift;
    if (isDown() || isChecked())
        shift = QPoint(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
            style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));

    const QRect glyphAt = pixmap.isNull() ? QRect() : glyphRect();
    QRect textRect;
    if (m_layout == Layout::GlyphTop) {
        const int top = (height() - (glyph.height() + gap + caption.height())) / 2;
        textRect = QRect(0, top + glyph.height() + gap, width(), caption.height());
    } else {
        const int left = m_margin >= 0 ? m_margin : (width() - (glyph.width() + gap + caption.width())) / 2;
        textRect = QRect(left + glyph.width() + gap, 0,
            m_margin >= 0 ? width() - left - glyph.width() - gap : caption.width(), height());
    }

    if (!pixmap.isNull()) {
        if (!isEnabled())
            painter.setOpacity(0.4);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(glyphAt.translated(shift), pixmap);
        painter.setOpacity(1.0);
    }
    const Qt::Alignment alignment
        = m_layout == Layout::GlyphTop ? (Qt::AlignHCenter | Qt::AlignTop) : (Qt::AlignLeft | Qt::AlignVCenter);
    painter.drawItemText(textRect.translated(shift), alignment | Qt::TextShowMnemonic, palette(), isEnabled(), text(),
        QPalette::ButtonText);
    if (hasFocus())
        kelvo::drawFocusFrame(painter, rect().adjusted(FocusInset, FocusInset, -FocusInset, -FocusInset), *this);
}

void TBitButton::keyPressEvent(QKeyEvent *event)
{
    // The toolkit presses a button with Enter only where it is a dialog's default.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && kelvo::isActivationKey(*event) && !event->isAutoRepeat()) {
        click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}
