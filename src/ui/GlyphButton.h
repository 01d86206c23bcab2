#pragma once

#include <QPushButton>
#include <QString>

// A push button with a picture left of its caption, both centred together, a fixed gap apart.
// The picture is an SVG file, drawn at the screen's resolution so that it stays crisp.
class TGlyphButton final : public QPushButton
{
    Q_OBJECT

public:
    TGlyphButton(const QString &caption, const QString &svgPath, QSize glyphSize, int spacing,
                 QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TGlyphButton)

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_svgPath;
    QSize m_glyphSize;
    int m_spacing;
};
