#pragma once

#include "ViewerEngine.h"

#include <QObject>
#include <QTimer>
#include <QUrl>

class QWebChannel;
class QWebEngineProfile;
class TFormBridge;
class TLabRequestInterceptor;
class TLabSchemeHandler;
class TLabWebPage;

// The viewer's engine side on QtWebEngine. The page's own scripts never run, nothing is loaded
// from the network and no file outside the lab folder is read.
class TWebViewerEngine final : public QObject, public TViewerEngine
{
    Q_OBJECT

public:
    // Registers the lab scheme, which the engine takes only before its first profile.
    static void registerScheme();

    TWebViewerEngine(QWidget *parent, TViewerEngineHost *host);
    ~TWebViewerEngine() override;
    Q_DISABLE_COPY_MOVE(TWebViewerEngine)

    QWidget *widget() override;
    QWebEngineView *view() override { return m_view; }
    QWebEnginePage *page() override;
    void load(const QByteArray &document) override;
    void setLabFolder(const QString &folder) override;
    void setBackgroundColor(const QColor &colour) override;
    void setActive(bool active) override;
    void setCovered(bool covered) override;
    bool showsLinkedPage() const override;
    void goBack() override;
    void backToDocument() override;
    void releaseForms() override;

private:
    void setAside();

    TViewerEngineHost *m_host;
    QWebEngineProfile *m_profile = nullptr;
    TLabSchemeHandler *m_schemeHandler = nullptr;
    TLabRequestInterceptor *m_interceptor = nullptr;
    TLabWebPage *m_page = nullptr;
    QWebEngineView *m_view = nullptr;
    QWebChannel *m_channel = nullptr;
    TFormBridge *m_bridge = nullptr;
    QUrl m_emptyUrl; // the empty document that a covered page shows, until it has loaded
    QTimer m_emptyTimeout;
};
