#include "MyBitBtn.h"

TMyBitBtn::TMyBitBtn(QWidget *parent)
    : TBitButton(QString(), Layout::GlyphLeft, parent)
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
    setMargin(10);
    setSpacing(10);
    setText(caption);
    setGeometry(left, top, width, height);
}
