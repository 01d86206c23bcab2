#pragma once

#include "BitButton.h"

#include <QFont>
#include <QString>

// A menu button: a glyph 10 pixels from the left edge, the caption 10 pixels after it.
class TMyBitBtn final : public TBitButton
{
    Q_OBJECT

public:
    explicit TMyBitBtn(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TMyBitBtn)

    // Sets, in this order, the font (Arial 16 points bold, Cyrillic, window-text colour), the
    // margin and spacing, the layout, the caption (shown as written, "&" included), then the
    // size and the place.
    void ApplyProperties(const QString &caption, int left, int top, int width, int height);

    // Arial 16 points bold.
    static QFont captionFont();
    // Whether a button of that height shows the whole caption.
    static bool holdsCaption(const QString &caption, int height);

    int Tag = 0;
};
