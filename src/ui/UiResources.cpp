#include "UiResources.h"

#include <QtGlobal>

// Outside any namespace: the macro declares the resource's initialiser where it is used.
void initUiResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(ui);
        return true;
    }();
    Q_UNUSED(done)
}
