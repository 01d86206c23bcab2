#include "Anchors.h"

#include <QEvent>
#include <QObject>
#include <QWidget>

namespace kelvo {

namespace {

class Anchoring final : public QObject
{
public:
    Anchoring(QWidget *control, Qt::Edges edges)
        : QObject(control)
        , m_control(control)
        , m_edges(edges)
    {
        QWidget *parent = control->parentWidget();
        const QRect geometry = control->geometry();
        m_right = parent->width() - (geometry.x() + geometry.width());
        m_bottom = parent->height() - (geometry.y() + geometry.height());
        parent->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize && watched == m_control->parentWidget())
            follow();
        return false;
    }

private:
    // One axis: the new place and length from the parent's length.
    static void place(bool nearAnchored, bool farAnchored, int parentLength, int far, int &position, int &length)
    {
        if (nearAnchored && farAnchored)
            length = qMax(0, parentLength - position - far);
        else if (farAnchored)
            position = parentLength - far - length;
    }

    void follow()
    {
        const QWidget *parent = m_control->parentWidget();
        QRect geometry = m_control->geometry();
        int x = geometry.x();
        int y = geometry.y();
        int width = geometry.width();
        int height = geometry.height();
        place(m_edges.testFlag(Qt::LeftEdge), m_edges.testFlag(Qt::RightEdge), parent->width(), m_right, x, width);
        place(m_edges.testFlag(Qt::TopEdge), m_edges.testFlag(Qt::BottomEdge), parent->height(), m_bottom, y, height);
        m_control->setGeometry(x, y, width, height);
    }

    QWidget *m_control;
    Qt::Edges m_edges;
    int m_right = 0;
    int m_bottom = 0;
};

} // namespace

void anchor(QWidget *control, Qt::Edges edges)
{
    if (control && control->parentWidget())
        new Anchoring(control, edges);
}

} // namespace kelvo
