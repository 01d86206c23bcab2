#include "KeyPreview.h"

#include <QWidget>

namespace kelvo {

void installKeyPreview(QWidget *window, QObject *filter)
{
    window->installEventFilter(filter);
    const QList<QWidget *> children = window->findChildren<QWidget *>();
    for (QWidget *child : children)
        child->installEventFilter(filter);
}

} // namespace kelvo
