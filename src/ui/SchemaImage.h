#pragma once

#include "SchemaPicture.h"

#include <QImage>
#include <QWidget>

// The picture control of the laboratory page: shows a schema picture at its own size, with
// whatever the picture leaves transparent showing the work field through.
class TSchemaImage final : public QWidget
{
    Q_OBJECT

public:
    explicit TSchemaImage(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TSchemaImage)

    // Shows the picture and takes its size.
    void setPicture(const kelvo::SchemaPicture &picture);
    const kelvo::SchemaPicture &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;
    // Taken here, so that the work field under the picture does not see the movement again.
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void render();

    kelvo::SchemaPicture m_picture;
    QImage m_image; // the picture at m_ratio
    qreal m_ratio = 0;
};
