#pragma once

#include <QPushButton>
#include <QString>

// A menu button: a glyph 10 pixels from the left edge, the caption 10 pixels after it.
class TMyBitBtn final : public QPushButton
{
    Q_OBJECT

public:
    explicit TMyBitBtn(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TMyBitBtn)

    // Sets, in this order, the font (Arial 16 points bold, Cyrillic, window-text colour), the
    // margin and spacing, the caption, then the size and the place.
    void ApplyProperties(const QString &caption, int left, int top, int width, int height);
    // The glyph by resource name ("BUBBLE_RED"); repaints at once.
    void setGlyph(const QString &name);
    const QString &glyph() const { return m_glyph; }

    int Tag = 0;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_glyph;
    int m_margin = 10;
    int m_spacing = 10;
};
