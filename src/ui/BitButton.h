#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QString>

// The toolkit's bitmap button: one of our glyphs (by name, "GREEN_ON") above or left of the
// caption, a few pixels apart, the two centred together as one block, or, with a margin, the
// glyph that far from the left edge and the caption after it. The glyph is drawn at the
// screen's resolution and greyed while the button is disabled. Enter and Space press it while
// it has the keyboard, which a dotted frame shows.
class TBitButton : public QPushButton
{
    Q_OBJECT

public:
    enum class Layout { GlyphLeft, GlyphTop };

    TBitButton(const QString &caption, Layout layout, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TBitButton)

    // Repaints when the glyph changes; an unknown name draws no glyph.
    void setGlyph(const QString &name);
    const QString &glyph() const { return m_glyph; }
    // The gap between glyph and caption.
    void setSpacing(int pixels);
    // The glyph's distance from the left edge; -1 (the default) centres glyph and caption.
    void setMargin(int pixels);

    QSize sizeHint() const override;
    // Where the glyph is drawn: a glyph taller than the room inside the button's frame is
    // scaled down to it.
    QRect glyphRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    const QPixmap &glyphPixmap();
    QSize glyphDrawnSize() const;

    Layout m_layout;
    int m_spacing = 4;
    int m_margin = -1;
    QString m_glyph;
    QPixmap m_pixmap; // the glyph at m_pixmapRatio
    qreal m_pixmapRatio = 0;
};
