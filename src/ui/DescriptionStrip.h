#pragma once

#include <QLabel>

// The description strip of the laboratory page: a flat panel with a single-line border and a
// lowered bevel inside it, showing its own caption centred.
class TDescriptionStrip final : public QLabel
{
    Q_OBJECT

public:
    explicit TDescriptionStrip(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TDescriptionStrip)

protected:
    void paintEvent(QPaintEvent *event) override;
};
