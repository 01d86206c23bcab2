// The entry points by which the program finds the engine side of its viewer.
#include "ViewerEngine.h"
#include "WebViewerEngine.h"

#include <QQuickWindow>

extern "C" Q_DECL_EXPORT const char *kelvoViewerEngineBuild()
{
    return kelvo::viewerengine::Build;
}

extern "C" Q_DECL_EXPORT TViewerEngine *kelvoCreateViewerEngine(QWidget *parent, TViewerEngineHost *host)
{
    return new TWebViewerEngine(parent, host);
}

extern "C" Q_DECL_EXPORT void kelvoUseSoftwareDrawing()
{
    // Before the engine starts: it reads the choice as it does.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}
