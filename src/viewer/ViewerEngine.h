#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QColor;
class QWebEnginePage;
class QWebEngineView;
class QWidget;

// What the viewer's engine side reports to the viewer that owns it.
class TViewerEngineHost
{
public:
    virtual void engineFormSubmitted(const QString &action, const QString &target, const QString &encType,
        const QString &method, const QStringList &results)
        = 0;
    virtual void engineFormUnreadable(const QString &action, const QString &message) = 0;
    virtual void engineBackRequested() = 0;
    virtual void engineLoadFinished(bool ok) = 0;
    virtual void engineLinkedPageChanged(bool linked) = 0;
    virtual void engineDocumentFailed(const QString &linkedName) = 0;

protected:
    ~TViewerEngineHost() = default;
};

// The web engine's side of the HTML viewer: view, page, lab scheme, request interceptor and form
// bridge. It lives in a library of its own, loaded when the first document is about to show, so
// that the program starts without the web engine.
class TViewerEngine
{
public:
    virtual ~TViewerEngine() = default;

    // The view, a child of the widget the engine was made for; the same object as view().
    virtual QWidget *widget() = 0;
    virtual QWebEngineView *view() = 0;
    virtual QWebEnginePage *page() = 0;

    virtual void load(const QByteArray &document) = 0;
    virtual void setLabFolder(const QString &folder) = 0;
    virtual void setBackgroundColor(const QColor &colour) = 0;
    // A page that is not active does no work (set aside by the engine).
    virtual void setActive(bool active) = 0;
    // The view stays on screen under another page, so that the engine keeps what it has drawn and
    // the next document only loads. A covered page does no work either: its document gives way to
    // an empty one, after which the memory of the documents before is collected, and a page that
    // does not take it within a moment (its process busy) is set aside as a hidden one is.
    virtual void setCovered(bool covered) = 0;
    virtual bool showsLinkedPage() const = 0;
    virtual void goBack() = 0;
    virtual void backToDocument() = 0;
    // Tells the document's forms that they may report again.
    virtual void releaseForms() = 0;
};

namespace kelvo::viewerengine {

// The engine library's entry points (extern "C"). The revision changes with the interface above,
// so that a library built from other sources is refused instead of called.
inline constexpr char CreateSymbol[] = "kelvoCreateViewerEngine";
inline constexpr char BuildSymbol[] = "kelvoViewerEngineBuild";
inline constexpr char SoftwareDrawingSymbol[] = "kelvoUseSoftwareDrawing";
inline constexpr char Build[] = KELVO_VERSION "/3";

using CreateFunction = TViewerEngine *(*)(QWidget *parent, TViewerEngineHost *host);
using BuildFunction = const char *(*)();
// Makes the engine draw with Qt Quick's software adaptation; called before the first engine.
using SoftwareDrawingFunction = void (*)();

} // namespace kelvo::viewerengine
