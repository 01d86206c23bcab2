// The entry points by which the program finds the engine side of its viewer.
#include "ViewerEngine.h"
#include "WebViewerEngine.h"

extern "C" Q_DECL_EXPORT const char *kelvoViewerEngineBuild()
{
    return kelvo::viewerengine::Build;
}

extern "C" Q_DECL_EXPORT TViewerEngine *kelvoCreateViewerEngine(QWidget *parent, TViewerEngineHost *host)
{
    return new TWebViewerEngine(parent, host);
}
