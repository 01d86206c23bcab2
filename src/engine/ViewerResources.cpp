#include "ViewerResources.h"

#include <QtGlobal>

// Outside any namespace: the macro declares the resource's initialiser where it is used.
void initViewerResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(viewer);
        return true;
    }();
    Q_UNUSED(done)
}
