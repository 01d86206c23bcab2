#include "WidgetLook.h"

#include "FontFamily.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPalette>

namespace kelvo {

QFont pixelFont(const QString &family, int pixelSize, bool bold, bool italic, bool underline)
{
    QFont font(pictures::fontFamilyFor(family));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

QFont pointFont(const QString &family, int pointSize)
{
    return QFont(pictures::fontFamilyFor(family), pointSize);
}

QFont fittingFont(QFont font, const QString &text, int width)
{
    constexpr qreal Smallest = 6;
    for (;;) {
        if (QFontMetrics(font).horizontalAdvance(text) <= width)
            return font;
        if (font.pixelSize() > Smallest)
            font.setPixelSize(font.pixelSize() - 1);
        else if (font.pixelSize() <= 0 && font.pointSizeF() - 0.5 >= Smallest)
            font.setPointSizeF(font.pointSizeF() - 0.5);
        else
            return font;
    }
}

void setColours(QWidget *widget, const QColor &background, const QColor &text)
{
    QPalette palette = widget->palette();
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::Base, background);
        widget->setAutoFillBackground(true);
    }
    if (text.isValid()) {
        palette.setColor(QPalette::WindowText, text);
        palette.setColor(QPalette::Text, text);
    }
    widget->setPalette(palette);
}

QFrame *makePanel(QWidget *parent, const QRect &geometry, Bevel bevel, const QColor &background)
{
    auto *panel = new QFrame(parent);
    panel->setGeometry(geometry);
    switch (bevel) {
    case Bevel::None:
        panel->setFrameStyle(QFrame::NoFrame);
        break;
    case Bevel::Raised:
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        break;
    case Bevel::Lowered:
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        break;
    }
    panel->setLineWidth(1);
    // A panel paints its own face, the button face unless it has a colour of its own.
    setColours(panel, background.isValid() ? background : QApplication::palette().color(QPalette::Button));
    return panel;
}

} // namespace kelvo
