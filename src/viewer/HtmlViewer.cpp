#include "HtmlViewer.h"

#include "DocumentAccessibility.h"
#include "EngineFlags.h"
#include "Localization.h"
#include "Process.h"
#include "TextFormat.h"
#include "ViewerEngineLoader.h"
#include "ViewerLog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

THtmlViewer::THtmlViewer(QWidget *parent)
    : QFrame(parent)
{
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
    delete m_engine;
}

void THtmlViewer::prepareEngine()
{
    // The program writes nothing but its run folder: no compiled shaders kept in ~/.cache.
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    kelvo::allowDocumentAccessibility();
    kelvo::engineflags::apply();
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
    ++m_loadSerial;
    if (!createEngine()) {
        QTimer::singleShot(0, this, [this] { Q_EMIT loadFinished(false); });
        return;
    }
    m_engine->load(document);
}

void THtmlViewer::setLabFolder(const QString &folder)
{
    m_labFolder = folder;
    if (m_engine)
        m_engine->setLabFolder(folder);
}

QString THtmlViewer::labFolder() const
{
    return m_labFolder;
}

void THtmlViewer::warmUp()
{
    if (m_engine || m_engineMissing || m_warmUpPending)
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
    if (event->type() == QEvent::PaletteChange && m_engine)
        m_engine->setBackgroundColor(palette().color(QPalette::Base));
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
    if (m_engine)
        m_engine->setActive(active);
}

void THtmlViewer::setCovered(bool covered)
{
    if (m_covered == covered)
        return;
    m_covered = covered;
    // An engine started under cover shows its own empty first page.
    if (m_engine)
        m_engine->setCovered(covered);
}

bool THtmlViewer::showsLinkedPage() const
{
    return m_engine && m_engine->showsLinkedPage();
}

void THtmlViewer::goBack()
{
    if (!showsLinkedPage()) {
        Q_EMIT backFromDocument();
        return;
    }
    m_engine->goBack();
}

void THtmlViewer::backToDocument()
{
    if (m_engine)
        m_engine->backToDocument();
}

void THtmlViewer::finishWarmUp()
{
    m_warmUpPending = false;
    if (!m_engine && !m_engineMissing)
        LoadFromString(QByteArray());
}

QWebEngineView *THtmlViewer::view()
{
    return createEngine() ? m_engine->view() : nullptr;
}

QWebEnginePage *THtmlViewer::page()
{
    return createEngine() ? m_engine->page() : nullptr;
}

bool THtmlViewer::createEngine()
{
    if (m_engine)
        return true;
    if (m_engineMissing)
        return false;

    const kelvo::viewerengine::LoadedEngine &loaded = kelvo::viewerengine::programEngine();
    if (!loaded.create) {
        // No engine will read its flags.
        kelvo::engineflags::restore();
        m_engineMissing = new QLabel(
            kelvo::format(Texts::ViewerEngineMissing, { QString::fromLatin1(kelvo::viewerengine::FileName) }), this);
        m_engineMissing->setObjectName(QStringLiteral("ViewerEngineMissing"));
        m_engineMissing->setAlignment(Qt::AlignCenter);
        m_engineMissing->setWordWrap(true);
        m_engineMissing->setTextFormat(Qt::PlainText);
        layout()->addWidget(m_engineMissing);
        return false;
    }

    Q_EMIT engineStarting();
    m_engine = loaded.create(this, this);
    // The engine has read its flags as it started, with its first page.
    kelvo::engineflags::restore();
    m_engine->setLabFolder(m_labFolder);
    m_engine->setBackgroundColor(palette().color(QPalette::Base));
    QWidget *view = m_engine->widget();
    layout()->addWidget(view);
    const bool hadFocus = hasFocus();
    setFocusProxy(view);
    if (hadFocus)
        view->setFocus(Qt::OtherFocusReason);
    return true;
}

void THtmlViewer::engineFormSubmitted(const QString &action, const QString &target, const QString &encType,
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
        m_engine->releaseForms();
}

void THtmlViewer::engineFormUnreadable(const QString &action, const QString &message)
{
    Q_EMIT formUnreadable(action, message);
}

void THtmlViewer::engineBackRequested()
{
    goBack();
}

void THtmlViewer::engineLoadFinished(bool ok)
{
    Q_EMIT loadFinished(ok);
}

void THtmlViewer::engineLinkedPageChanged(bool linked)
{
    Q_EMIT linkedPageChanged(linked);
}

void THtmlViewer::engineDocumentFailed(const QString &linkedName)
{
    Q_EMIT documentFailed(linkedName);
}
