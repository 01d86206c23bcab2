#include "HtmlViewer.h"

#include "FormBridge.h"
#include "LabRequestInterceptor.h"
#include "LabScheme.h"
#include "LabSchemeHandler.h"
#include "LabWebPage.h"
#include "Localization.h"
#include "Process.h"
#include "ViewerLog.h"
#include "ViewerResources.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWindow>

namespace {

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

THtmlViewer::THtmlViewer(QWidget *parent)
    : QFrame(parent)
{
    initViewerResources();
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

THtmlViewer::~THtmlViewer()
{
    if (m_page)
        disconnect(m_page, nullptr, this, nullptr);
    // The page must go before its profile.
    delete m_view;
    delete m_page;
}

void THtmlViewer::prepareEngine()
{
    registerScheme();
    prepareEngineFlags();
}

void THtmlViewer::registerScheme()
{
    kelvo::labscheme::registerScheme();
}

void THtmlViewer::prepareEngineFlags()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The program writes nothing but its run folder: no compiled shaders kept in ~/.cache.
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    // Chromium's sandbox refuses to start as root (CI, containers), and the engine with it.
    // Whoever runs a stranger's package as root should know that this layer is gone.
    if (kelvo::runningAsRoot()) {
        kelvo::writeErrorLine(Texts::NoSandboxWarning);
        if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
}

void THtmlViewer::LoadFromString(const QByteArray &document)
{
    createEngine();
    ++m_loadSerial;
    const QUrl url = m_schemeHandler->setDocument(document);
    // A page set aside while hidden is brought back by the load itself: made active first, it
    // would reload the document it had, and that load's end could be taken for this one's.
    m_page->setCurrentDocumentUrl(url);
    m_page->load(url);
}

void THtmlViewer::setLabFolder(const QString &folder)
{
    m_labFolder = folder;
    if (m_schemeHandler)
        m_schemeHandler->setLabFolder(folder);
}

QString THtmlViewer::labFolder() const
{
    return m_labFolder;
}

void THtmlViewer::warmUp()
{
    if (m_page || m_warmUpPending)
        return;
    m_warmUpPending = true;
    QWidget *top = window();
    if (top->windowHandle() && top->windowHandle()->isExposed()) {
        QTimer::singleShot(0, this, &THtmlViewer::finishWarmUp);
        return;
    }
    top->installEventFilter(this);
    if (top->windowHandle())
        top->windowHandle()->installEventFilter(this);
}

bool THtmlViewer::eventFilter(QObject *watched, QEvent *event)
{
    QWidget *top = window();
    if (watched == top && event->type() == QEvent::Show && top->windowHandle())
        top->windowHandle()->installEventFilter(this);
    // The window paints as it handles its first expose; the engine starts after that.
    if (watched == top->windowHandle() && event->type() == QEvent::Expose && top->windowHandle()->isExposed()) {
        top->removeEventFilter(this);
        watched->removeEventFilter(this);
        QTimer::singleShot(0, this, &THtmlViewer::finishWarmUp);
    }
    return QFrame::eventFilter(watched, event);
}

void THtmlViewer::changeEvent(QEvent *event)
{
    QFrame::changeEvent(event);
    // A document without colours of its own shows on the system's window colour.
    if (event->type() == QEvent::PaletteChange && m_page)
        m_page->setBackgroundColor(palette().color(QPalette::Base));
}

void THtmlViewer::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
    setPageActive(true);
}

void THtmlViewer::hideEvent(QHideEvent *event)
{
    QFrame::hideEvent(event);
    // A page that is not shown does no work: no refresh, no layout, no process of its own. The
    // engine allows this only for a hidden page, which the view has told it once its own hide
    // event has passed.
    QTimer::singleShot(0, this, [this] {
        if (!isVisible())
            setPageActive(false);
    });
}

void THtmlViewer::setPageActive(bool active)
{
    using State = QWebEnginePage::LifecycleState;
    if (!m_page)
        return;
    const State wanted = active ? State::Active : State::Discarded;
    if (m_page->lifecycleState() != wanted)
        m_page->setLifecycleState(wanted);
}

bool THtmlViewer::showsLinkedPage() const
{
    if (!m_page)
        return false;
    const QUrl url = m_page->url();
    return kelvo::labscheme::isLabUrl(url) && !kelvo::labscheme::pageGeneration(url);
}

void THtmlViewer::goBack()
{
    if (!showsLinkedPage()) {
        Q_EMIT backFromDocument();
        return;
    }
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

void THtmlViewer::backToDocument()
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

void THtmlViewer::finishWarmUp()
{
    m_warmUpPending = false;
    if (!m_page)
        LoadFromString(QByteArray());
}

QWebEngineView *THtmlViewer::view()
{
    createEngine();
    return m_view;
}

QWebEnginePage *THtmlViewer::page()
{
    createEngine();
    return m_page;
}

void THtmlViewer::createEngine()
{
    if (m_page)
        return;

    // No storage name: off the record, nothing is written to disk.
    m_profile = new QWebEngineProfile(this);
    m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_profile->setSpellCheckEnabled(false);
    applyLockedDownSettings(m_profile->settings());

    m_schemeHandler = new TLabSchemeHandler(this);
    m_schemeHandler->setLabFolder(m_labFolder);
    m_profile->installUrlSchemeHandler(kelvo::labscheme::Name.toLatin1(), m_schemeHandler);
    m_interceptor = new TLabRequestInterceptor(this);
    m_profile->setUrlRequestInterceptor(m_interceptor);
    connect(m_profile, &QWebEngineProfile::downloadRequested, this, [](QWebEngineDownloadRequest *download) {
        qCDebug(lcViewer) << "download cancelled" << download->url();
        download->cancel();
    });

    m_page = new TLabWebPage(m_profile, this);
    m_page->setBackgroundColor(palette().color(QPalette::Base));
    m_bridge = new TFormBridge(this);
    m_channel = new QWebChannel(this);
    m_channel->registerObject(TFormBridge::channelName(), m_bridge);
    m_page->setWebChannel(m_channel, QWebEngineScript::ApplicationWorld);
    m_page->scripts().insert(formBridgeScript());
    m_page->scripts().insert(linkGuardScript());
    connect(m_bridge, &TFormBridge::submitted, this, &THtmlViewer::deliverSubmission, Qt::QueuedConnection);
    connect(m_bridge, &TFormBridge::failed, this, &THtmlViewer::formUnreadable, Qt::QueuedConnection);
    connect(m_bridge, &TFormBridge::backRequested, this, &THtmlViewer::goBack, Qt::QueuedConnection);
    connect(m_page, &QWebEnginePage::loadFinished, this, &THtmlViewer::loadFinished);
    connect(m_page, &QWebEnginePage::loadStarted, m_schemeHandler, &TLabSchemeHandler::startPage);
    connect(m_page, &QWebEnginePage::urlChanged, this, [this] { Q_EMIT linkedPageChanged(showsLinkedPage()); });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
        [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
            qCWarning(lcViewer) << "the page's process ended:" << status << exitCode << m_page->url();
            const QUrl url = m_page->url();
            const bool linked = kelvo::labscheme::isLabUrl(url) && !kelvo::labscheme::pageGeneration(url);
            Q_EMIT documentFailed(linked ? url.path(QUrl::FullyDecoded).mid(1) : QString());
        });

    m_view = new QWebEngineView(this);
    m_view->setPage(m_page);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    layout()->addWidget(m_view);
    const bool hadFocus = hasFocus();
    setFocusProxy(m_view);
    if (hadFocus)
        m_view->setFocus(Qt::OtherFocusReason);
}

void THtmlViewer::deliverSubmission(const QString &action, const QString &target, const QString &encType,
    const QString &method, const QStringList &results)
{
    // A receiver that runs a modal dialog lets further reports in through its event loop: they
    // are dropped rather than handled inside the first one.
    if (m_delivering) {
        qCDebug(lcViewer) << "dropped a submission made while the previous one was handled";
        return;
    }
    const QPointer<THtmlViewer> guard(this);
    const quint64 serial = m_loadSerial;
    m_delivering = true;
    Q_EMIT formSubmitted(action, target, encType, method, results);
    if (!guard)
        return;
    m_delivering = false;
    // A new document starts with its bridge ready; the same one is told it may report again.
    if (serial == m_loadSerial)
        m_page->runJavaScript(QStringLiteral("window.kelvoFormsReleased && window.kelvoFormsReleased();"),
            QWebEngineScript::ApplicationWorld);
}
