#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the main window puts what the test clicks and looks at, from its layout constants.
// All rectangles are in the window's client coordinates.
namespace kelvo::e2e::layout {

// The menu: a box of 633 × 473 pixels that keeps its place relative to the page's centre
// (designed at 69, 51 in a client area of 793 × 601, inside a one-pixel border), buttons 569
// pixels wide from 106 down, 8 apart, at most 57 high; chapters first, the exit button last.
inline QRect menuButton(QSize client, int index, int chapterCount)
{
    const QPoint box(69 + (client.width() - 791) / 2, 51 + (client.height() - 599) / 2);
    const int height = qMin(57, 320 / (chapterCount + 1) - 8);
    return QRect(box.x() + 32, box.y() + 106 + (height + 8) * index, 569, height);
}

// The glyph at the left end of a menu button (28 × 29 pixels, 10 from the button's edge).
inline QRect menuGlyph(const QRect &button)
{
    return QRect(button.left() + 8, button.top() + (button.height() - 29) / 2 - 2, 34, 33);
}

// The HTML page: a title panel 49 pixels high over the viewer, whose frame is as wide on
// each side as the page is narrower than the window.
inline QPoint viewportOrigin(QSize client, int viewportWidth)
{
    const int frame = (client.width() - viewportWidth) / 2;
    return QPoint(frame, 49 + frame);
}

// The results dialog (346 × 308): the total, the right count and the percentage.
inline constexpr QRect ResultsTotal(168, 40, 169, 33);
inline constexpr QRect ResultsRight(168, 96, 169, 33);
inline constexpr QRect ResultsPercent(160, 208, 177, 33);
inline constexpr QSize ResultsDialog(346, 308);

// The laboratory page, designed for a client area of 793 × 601 and anchored to grow with it:
// the client area of the work field (the parent of the picture and the device controls), the
// variant buttons in its bottom-right corner (70 × 60, one pixel apart, the last one lowest) and
// the two action buttons at the bottom right of the page.
inline QRect workField(QSize client)
{
    return QRect(16, 89, client.width() - 52, client.height() - 251);
}

inline QRect variantButton(QSize client, int index, int count)
{
    const QRect field = workField(client);
    return QRect(field.left() + field.width() - 76, field.top() + field.height() - 5 - (count - index) * 61, 70, 60);
}

inline QRect infoButton(QSize client)
{
    return QRect(client.width() - 241, client.height() - 114, 97, 89);
}

inline QRect stopButton(QSize client)
{
    return QRect(client.width() - 137, client.height() - 114, 97, 89);
}

} // namespace kelvo::e2e::layout
