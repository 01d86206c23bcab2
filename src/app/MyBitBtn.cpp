#include "MyBitBtn.h"

#include "WidgetLook.h"

#include <QFontMetrics>

TMyBitBtn::TMyBitBtn(QWidget *parent)
    : TBitButton(QString(), Layout::GlyphLeft, parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

QFont TMyBitBtn::captionFont()
{
    QFont font = kelvo::pointFont(QStringLiteral("Arial"), 16);
    font.setBold(true);
    return font;
}

bool TMyBitBtn::holdsCaption(const QString &caption, int height)
{
    // The letters, from the top of the tallest to the bottom of the lowest, inside the frame lines.
    return QFontMetrics(captionFont()).tightBoundingRect(caption).height() + 2 <= height;
}

void TMyBitBtn::ApplyProperties(const QString &caption, int left, int top, int width, int height)
{
    setFont(captionFont());
    QPalette colours = palette();
    colours.setColor(QPalette::ButtonText, palette().color(QPalette::WindowText));
    setPalette(colours);
    setMargin(10);
    setSpacing(10);
    // A title's "&" is a letter of the title, not the mark of a shortcut key.
    setText(QString(caption).replace(u'&', QStringLiteral("&&")));
    setGeometry(left, top, width, height);
}
