#pragma once

#include <QLabel>

// A panel with a centred caption that reports a click.
class TClickPanel final : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
