#include "LabRequestInterceptor.h"

#include "LabScheme.h"
#include "ViewerLog.h"

TLabRequestInterceptor::TLabRequestInterceptor(QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent)
{
}

void TLabRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (kelvo::labscheme::isLabUrl(info.requestUrl()))
        return;
    qCDebug(lcViewer) << "blocked" << info.requestUrl();
    info.block(true);
}
