#pragma once

#include "ViewerEngine.h"

#include <QByteArray>
#include <QFrame>
#include <QString>
#include <QStringList>

class QLabel;
class QWebEnginePage;
class QWebEngineView;

// The HTML viewer of the lab work: shows documents held in memory, finds their style sheets,
// pictures and linked documents in the lab folder, and reports form submissions instead of
// sending them anywhere. The page's own scripts never run, nothing is loaded from the network
// and no file outside the lab folder is read. The web engine is a library of its own
// (TViewerEngine), loaded and started with the first document, or earlier through warmUp();
// when it cannot be loaded, the viewer says so in the document's place.
class THtmlViewer final : public QFrame, private TViewerEngineHost
{
    Q_OBJECT

public:
    explicit THtmlViewer(QWidget *parent = nullptr);
    ~THtmlViewer() override;
    Q_DISABLE_COPY_MOVE(THtmlViewer)

    // What the web engine needs before QApplication is created: no sandbox when running as root,
    // which it refuses, and its flags (EngineFlags.h). Everything else waits until the engine is
    // loaded.
    static void prepareEngine();

    // Replaces the document shown by `document` (bytes in the charset that the document declares,
    // Windows-1251 when it declares none), shown from its top.
    void LoadFromString(const QByteArray &document);

    // The folder that relative references resolve in; empty (the default) means the current
    // directory at the time of each request.
    void setLabFolder(const QString &folder);
    QString labFolder() const;

    // Starts the web engine once the window has painted, so that the first document shows
    // without the engine's start-up delay and the window's first paint does not wait for it.
    void warmUp();
    bool engineStarted() const { return m_engine != nullptr; }

    // Kept on screen under another page, so that the engine keeps what it has drawn and the next
    // document only loads; a covered viewer does no work: its document gives way to an empty one.
    void setCovered(bool covered);
    bool isCovered() const { return m_covered; }

    // Whether the viewer shows a lab file that a link led to, not the document held in memory.
    bool showsLinkedPage() const;
    // One step back from a page that a link led to (Backspace, Alt+Left); on the document itself,
    // backFromDocument().
    void goBack();
    // From a page that a link led to straight back to the document held in memory.
    void backToDocument();

    // The engine's view and page, created on first use; null when the engine could not be loaded.
    QWebEngineView *view();
    QWebEnginePage *page();

Q_SIGNALS:
    // A form of the document was submitted: the form's action, target, enctype and method
    // attributes as written (empty when absent) and its name=value lines. Delivered after the
    // click has been handled, so a receiver may load another document.
    void formSubmitted(const QString &action, const QString &target, const QString &encType, const QString &method,
        const QStringList &results);
    // A form of the document was submitted but could not be read (`message` says why): nothing
    // was submitted, and the form may be submitted again.
    void formUnreadable(const QString &action, const QString &message);
    // The engine's process that drew the page ended (a crash, or killed): the page is empty and
    // takes no input. `linkedName` is the lab file shown then, empty for the document held in
    // memory. The next document loads in a new process.
    void documentFailed(const QString &linkedName);
    // Backspace or Alt+Left on the document held in memory, where there is no page to go back to
    // within the chapter.
    void backFromDocument();
    // The viewer went from the document to a page that a link led to, or back.
    void linkedPageChanged(bool linked);
    // A document (the one loaded from memory, or one a link led to) finished loading.
    void loadFinished(bool ok);
    // The engine is about to start and make its view at the viewer's size: the last moment for
    // the page around the viewer to take its final layout.
    void engineStarting();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // True when the engine runs; otherwise the viewer shows why it does not.
    bool createEngine();
    void finishWarmUp();
    void setPageActive(bool active);

    void engineFormSubmitted(const QString &action, const QString &target, const QString &encType,
        const QString &method, const QStringList &results) override;
    void engineFormUnreadable(const QString &action, const QString &message) override;
    void engineBackRequested() override;
    void engineLoadFinished(bool ok) override;
    void engineLinkedPageChanged(bool linked) override;
    void engineDocumentFailed(const QString &linkedName) override;

    TViewerEngine *m_engine = nullptr;
    QLabel *m_engineMissing = nullptr;
    QString m_labFolder;
    quint64 m_loadSerial = 0;
    bool m_delivering = false;
    bool m_warmUpPending = false;
    bool m_covered = false;
};
