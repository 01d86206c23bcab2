#include "SchemaImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

TSchemaImage::TSchemaImage(QWidget *parent)
    : QWidget(parent)
{
    setAutoFillBackground(false);
}

void TSchemaImage::setPicture(const kelvo::SchemaPicture &picture)
{
    m_picture = picture;
    m_image = QImage();
    m_ratio = 0;
    resize(m_picture.isNull() ? QSize(0, 0) : m_picture.size());
    render();
    update();
}

void TSchemaImage::render()
{
    const qreal ratio = devicePixelRatioF();
    if (m_ratio == ratio)
        return;
    m_ratio = ratio;
    // Not converted: the painter converts only the part of a large picture that shows.
    m_image = m_picture.image(ratio);
}

void TSchemaImage::paintEvent(QPaintEvent *event)
{
    render();
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(QPoint(0, 0), m_image);
}

void TSchemaImage::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}
