#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QString>

// The toolkit's bitmap button: one of our glyphs (by name, "GREEN_ON") above or left of the
// caption, the two centred together as one block, a few pixels apart. The glyph is drawn at the
// screen's resolution and greyed while the button is disabled.
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

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QPixmap &glyphPixmap();

    Layout m_layout;
    QString m_glyph;
    QPixmap m_pixmap; // the glyph at m_pixmapRatio
    qreal m_pixmapRatio = 0;
};
