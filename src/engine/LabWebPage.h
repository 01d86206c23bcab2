#pragma once

#include <QWebEnginePage>

class QWebEngineNewWindowRequest;

// The page of the HTML viewer: it shows documents of the lab scheme only. A click on an http(s)
// link opens the desktop's browser; every other navigation, and every new window, is refused.
class TLabWebPage final : public QWebEnginePage
{
    Q_OBJECT

public:
    explicit TLabWebPage(QWebEngineProfile *profile, QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TLabWebPage)

    // The URL of the document held in memory; the history may lead back to it, not to older ones,
    // which are no longer served.
    void setCurrentDocumentUrl(const QUrl &url) { m_currentDocumentUrl = url; }
    const QUrl &currentDocumentUrl() const { return m_currentDocumentUrl; }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(
        JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber, const QString &sourceID) override;

private:
    void onNewWindowRequested(QWebEngineNewWindowRequest &request);

    QUrl m_currentDocumentUrl;
    bool m_redirectFollowed = false;
};
