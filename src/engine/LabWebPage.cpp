#include "LabWebPage.h"

#include "LabScheme.h"
#include "ViewerLog.h"

#include <QDesktopServices>
#include <QWebEngineNewWindowRequest>

namespace {

bool isWebUrl(const QUrl &url)
{
    return url.scheme() == u"http" || url.scheme() == u"https";
}

} // namespace

TLabWebPage::TLabWebPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{
    connect(this, &QWebEnginePage::newWindowRequested, this, &TLabWebPage::onNewWindowRequested);
}

bool TLabWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // Forms are reported by the bridge script, which stops their own submission; one that slips
    // through must not load anything.
    if (type == NavigationTypeFormSubmitted) {
        qCDebug(lcViewer) << "refused form navigation" << url;
        return false;
    }
    // The mouse's back button walks the history: a page there that is gone would leave the
    // student on an empty page without the buttons that lead on.
    if (type == NavigationTypeBackForward && kelvo::labscheme::pageGeneration(url) && url != m_currentDocumentUrl) {
        qCDebug(lcViewer) << "refused a step back to a former document" << url;
        return false;
    }
    // A refresh (or a redirect) is followed once per document that the student opened: a page
    // that refreshes itself, or two that refresh each other, would load for ever.
    if (type == NavigationTypeRedirect) {
        if (m_redirectFollowed || url == this->url()) {
            qCDebug(lcViewer) << "refused a repeated refresh" << url;
            return false;
        }
        m_redirectFollowed = true;
    } else if (isMainFrame) {
        m_redirectFollowed = false;
    }
    if (kelvo::labscheme::isLabUrl(url))
        return true;
    if (isWebUrl(url) && type == NavigationTypeLinkClicked && isMainFrame)
        QDesktopServices::openUrl(url);
    else
        qCDebug(lcViewer) << "refused navigation" << url;
    return false;
}

QWebEnginePage *TLabWebPage::createWindow(WebWindowType type)
{
    Q_UNUSED(type)
    return nullptr;
}

void TLabWebPage::javaScriptConsoleMessage(
    JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber, const QString &sourceID)
{
    qCDebug(lcViewer).nospace() << "console(" << int(level) << ") " << sourceID << ':' << lineNumber << ": " << message;
}

void TLabWebPage::onNewWindowRequested(QWebEngineNewWindowRequest &request)
{
    // A link with a target such as "_blank": lab documents open here, web pages in the browser.
    const QUrl url = request.requestedUrl();
    if (!request.isUserInitiated()) {
        qCDebug(lcViewer) << "refused window" << url;
        return;
    }
    if (kelvo::labscheme::isLabUrl(url))
        load(url);
    else if (isWebUrl(url))
        QDesktopServices::openUrl(url);
}
