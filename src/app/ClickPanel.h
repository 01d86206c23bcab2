#pragma once

#include <QLabel>

// A panel with a centred caption that reports a click, or Enter or Space while it has the
// keyboard, which a dotted frame inside its border shows.
class TClickPanel final : public QLabel
{
    Q_OBJECT

public:
    explicit TClickPanel(QWidget *parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
