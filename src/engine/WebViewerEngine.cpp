#include "WebViewerEngine.h"

#include "FormBridge.h"
#include "LabRequestInterceptor.h"
#include "LabScheme.h"
#include "LabSchemeHandler.h"
#include "LabWebPage.h"
#include "ViewerLog.h"
#include "ViewerResources.h"

#include <QFile>
#include <QWebChannel>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlScheme>
#include <QWebEngineView>

namespace {

// How long a covered page may take to show its empty document before it is set aside: its
// process is then busy with the document it had (a layout that takes minutes).
constexpr int EmptyDocumentTimeoutMs = 1000;

QString resourceText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcViewer) << "missing resource" << path;
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

void applyLockedDownSettings(QWebEngineSettings *settings)
{
    using S = QWebEngineSettings;
    for (const S::WebAttribute off : { S::JavascriptEnabled, S::JavascriptCanOpenWindows,
             S::JavascriptCanAccessClipboard, S::JavascriptCanPaste, S::LocalContentCanAccessFileUrls,
             S::LocalContentCanAccessRemoteUrls, S::LocalStorageEnabled, S::PluginsEnabled, S::PdfViewerEnabled,
             S::NavigateOnDropEnabled, S::HyperlinkAuditingEnabled, S::DnsPrefetchEnabled, S::AutoLoadIconsForPage,
             S::TouchIconsEnabled, S::ScreenCaptureEnabled, S::FullScreenSupportEnabled, S::AllowRunningInsecureContent,
             S::AllowGeolocationOnInsecureOrigins, S::AllowWindowActivationFromJavaScript, S::ErrorPageEnabled })
        settings->setAttribute(off, false);
    settings->setAttribute(S::WebRTCPublicInterfacesOnly, true);
    settings->setUnknownUrlSchemePolicy(S::DisallowUnknownUrlSchemes);
    // Lab documents are written on Cyrillic Windows; this is the fallback of a document whose
    // charset the engine does not know.
    settings->setDefaultTextEncoding(QStringLiteral("windows-1251"));
}

// The bridge and the link guard run in a world of their own: the page cannot see or change them.
QWebEngineScript applicationWorldScript(const QString &name, const QString &source)
{
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    return script;
}

QWebEngineScript formBridgeScript()
{
    return applicationWorldScript(QStringLiteral("kelvo-form-bridge"),
        resourceText(QStringLiteral(":/qtwebchannel/qwebchannel.js")) + QLatin1Char('\n')
            + resourceText(QStringLiteral(":/kelvo/viewer/FormBridge.js")));
}

QWebEngineScript linkGuardScript()
{
    return applicationWorldScript(
        QStringLiteral("kelvo-link-guard"), resourceText(QStringLiteral(":/kelvo/viewer/LinkGuard.js")));
}

} // namespace

void TWebViewerEngine::registerScheme()
{
    static const bool done = [] {
        QWebEngineUrlScheme scheme(kelvo::labscheme::Name.toLatin1());
        // A host part makes the scheme hierarchical: relative references resolve as they do for
        // http, with "\" taken for "/" as Windows authors expect.
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
        scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
        QWebEngineUrlScheme::registerScheme(scheme);
        return true;
    }();
    Q_UNUSED(done)
}

TWebViewerEngine::TWebViewerEngine(QWidget *parent, TViewerEngineHost *host)
    : QObject(parent)
    , m_host(host)
{
    initViewerResources();
    registerScheme();

    // No storage name: off the record, nothing is written to disk.
    m_profile = new QWebEngineProfile(this);
    m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_profile->setSpellCheckEnabled(false);
    applyLockedDownSettings(m_profile->settings());

    m_schemeHandler = new TLabSchemeHandler(this);
    m_profile->installUrlSchemeHandler(kelvo::labscheme::Name.toLatin1(), m_schemeHandler);
    m_interceptor = new TLabRequestInterceptor(this);
    m_profile->setUrlRequestInterceptor(m_interceptor);
    connect(m_profile, &QWebEngineProfile::downloadRequested, this, [](QWebEngineDownloadRequest *download) {
        qCDebug(lcViewer) << "download cancelled" << download->url();
        download->cancel();
    });

    m_page = new TLabWebPage(m_profile, this);
    m_bridge = new TFormBridge(this);
    m_channel = new QWebChannel(this);
    m_channel->registerObject(TFormBridge::channelName(), m_bridge);
    m_page->setWebChannel(m_channel, QWebEngineScript::ApplicationWorld);
    m_page->scripts().insert(formBridgeScript());
    m_page->scripts().insert(linkGuardScript());
    connect(
        m_bridge, &TFormBridge::submitted, this,
        [this](const QString &action, const QString &target, const QString &encType, const QString &method,
            const QStringList &results) { m_host->engineFormSubmitted(action, target, encType, method, results); },
        Qt::QueuedConnection);
    connect(
        m_bridge, &TFormBridge::failed, this,
        [this](const QString &action, const QString &message) { m_host->engineFormUnreadable(action, message); },
        Qt::QueuedConnection);
    connect(
        m_bridge, &TFormBridge::backRequested, this, [this] { m_host->engineBackRequested(); }, Qt::QueuedConnection);
    connect(m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
            return;
        // The empty document of a covered page is the engine's own affair, not a document shown.
        if (!m_emptyUrl.isEmpty() && info.url() == m_emptyUrl) {
            m_emptyTimeout.stop();
            // Nothing of the documents before is reachable now: their memory goes back while the
            // menu shows, not while a later document loads (the collector is open to this world
            // where the engine started with the viewer's flags, EngineFlags.h).
            if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
                m_page->runJavaScript(
                    QStringLiteral("typeof gc === 'function' && gc();"), QWebEngineScript::ApplicationWorld);
            return;
        }
        m_host->engineLoadFinished(info.status() == QWebEngineLoadingInfo::LoadSucceededStatus);
    });
    connect(m_page, &QWebEnginePage::loadStarted, m_schemeHandler, &TLabSchemeHandler::startPage);
    connect(m_page, &QWebEnginePage::urlChanged, this, [this] { m_host->engineLinkedPageChanged(showsLinkedPage()); });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
        [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
            qCWarning(lcViewer) << "the page's process ended:" << status << exitCode << m_page->url();
            const QUrl url = m_page->url();
            const bool linked = kelvo::labscheme::isLabUrl(url) && !kelvo::labscheme::pageGeneration(url);
            m_host->engineDocumentFailed(linked ? url.path(QUrl::FullyDecoded).mid(1) : QString());
        });

    m_view = new QWebEngineView(parent);
    m_view->setPage(m_page);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);

    m_emptyTimeout.setSingleShot(true);
    m_emptyTimeout.setInterval(EmptyDocumentTimeoutMs);
    connect(&m_emptyTimeout, &QTimer::timeout, this, &TWebViewerEngine::setAside);
}

TWebViewerEngine::~TWebViewerEngine()
{
    disconnect(m_page, nullptr, this, nullptr);
    // The page must go before its profile.
    delete m_view;
    delete m_page;
}

QWidget *TWebViewerEngine::widget()
{
    return m_view;
}

QWebEnginePage *TWebViewerEngine::page()
{
    return m_page;
}

void TWebViewerEngine::load(const QByteArray &document)
{
    m_emptyTimeout.stop();
    const QUrl url = m_schemeHandler->setDocument(document);
    // A page set aside while hidden is brought back by the load itself: made active first, it
    // would reload the document it had, and that load's end could be taken for this one's.
    m_page->setCurrentDocumentUrl(url);
    m_page->load(url);
}

void TWebViewerEngine::setLabFolder(const QString &folder)
{
    m_schemeHandler->setLabFolder(folder);
}

void TWebViewerEngine::setBackgroundColor(const QColor &colour)
{
    m_page->setBackgroundColor(colour);
}

void TWebViewerEngine::setActive(bool active)
{
    // Made inactive only once the view is hidden: the page is hidden for the engine already.
    if (!active) {
        setAside();
        return;
    }
    if (m_page->lifecycleState() != QWebEnginePage::LifecycleState::Active)
        m_page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
}

void TWebViewerEngine::setCovered(bool covered)
{
    m_emptyTimeout.stop();
    if (!covered) {
        // A page set aside under cover is shown to the engine again with the view; the document
        // opened meanwhile has brought it back.
        if (!m_page->isVisible() && m_view->isVisible())
            m_page->setVisible(true);
        return;
    }
    // A page whose process ended starts afresh, as a hidden one does, with the next document.
    if (m_page->renderProcessPid() <= 0) {
        setAside();
        return;
    }
    // Freezing would need the page hidden for the engine, and a page shown again is drawn
    // afresh: the cost that keeping the view on screen saves. An empty document leaves nothing
    // that could run (a refresh, an animation, a sound), and the engine's drawing stays.
    m_emptyUrl = m_schemeHandler->setDocument(QByteArray());
    m_page->setCurrentDocumentUrl(m_emptyUrl);
    m_page->load(m_emptyUrl);
    m_emptyTimeout.start();
}

void TWebViewerEngine::setAside()
{
    // The engine sets aside only a page that it takes for hidden.
    if (m_page->lifecycleState() == QWebEnginePage::LifecycleState::Discarded)
        return;
    m_page->setVisible(false);
    m_page->setLifecycleState(QWebEnginePage::LifecycleState::Discarded);
}

bool TWebViewerEngine::showsLinkedPage() const
{
    const QUrl url = m_page->url();
    return kelvo::labscheme::isLabUrl(url) && !kelvo::labscheme::pageGeneration(url);
}

void TWebViewerEngine::goBack()
{
    if (!showsLinkedPage())
        return;
    QWebEngineHistory *history = m_page->history();
    if (history->canGoBack()) {
        const QUrl back = history->backItem().url();
        if (kelvo::labscheme::isLabUrl(back)
            && (!kelvo::labscheme::pageGeneration(back) || back == m_page->currentDocumentUrl())) {
            history->back();
            return;
        }
    }
    backToDocument();
}

void TWebViewerEngine::backToDocument()
{
    if (!showsLinkedPage())
        return;
    QWebEngineHistory *history = m_page->history();
    for (int i = history->currentItemIndex() - 1; i >= 0; --i) {
        const QWebEngineHistoryItem item = history->itemAt(i);
        if (item.url() == m_page->currentDocumentUrl()) {
            history->goToItem(item);
            return;
        }
    }
    m_page->load(m_page->currentDocumentUrl());
}

void TWebViewerEngine::releaseForms()
{
    m_page->runJavaScript(QStringLiteral("window.kelvoFormsReleased && window.kelvoFormsReleased();"),
        QWebEngineScript::ApplicationWorld);
}
