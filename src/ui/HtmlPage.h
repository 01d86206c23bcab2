#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;
class THtmlViewer;

// The main window's HTML page (`tsHTML`): the chapter's title on a blue bar, the HTML viewer,
// and a hint on how to scroll. Whenever the page is shown, the viewer takes the keyboard focus,
// so that the arrow keys, PageUp and PageDown scroll the document at once. Two buttons on the
// blue bar, outside the document, always answer, whatever the document does: back to the menu,
// and, on a page that a link led to, back to the chapter's document. The Tab key reaches them
// after the document's own controls. Esc, and Backspace or Alt+Left on the chapter's document
// itself, lead to the menu as "Меню" does: leaving never marks the chapter read.
//
// The page may be kept on screen under another one (covered), so that the web engine keeps what
// it has drawn and the next document only loads: covered, it takes no focus and no keys, a screen
// reader does not find it, and its document gives way to an empty one. Covered before the engine
// has started (the main window's start), it leaves its two bars out of the layout until it is
// uncovered or the engine starts: their texts would be laid out and their fonts found before the
// first paint of the page above, which never shows them.
class THtmlPage final : public QWidget
{
    Q_OBJECT

public:
    explicit THtmlPage(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(THtmlPage)

    // Sets the caption of `lbInfoTitle` (at (8, 8), sized to its text, cut at the panel's edge).
    void setTitle(const QString &title);

    // Uncovered, the page is the one shown: the viewer takes the keyboard focus as on showing.
    void setCovered(bool covered);
    bool isCovered() const { return m_covered; }

    QFrame *panInfoTop = nullptr;
    QLabel *lbInfoTitle = nullptr;
    QPushButton *btDocument = nullptr;
    QPushButton *btMenu = nullptr;
    THtmlViewer *Viewer = nullptr;
    QFrame *panHint = nullptr;
    QLabel *lblHint = nullptr;

Q_SIGNALS:
    void menuRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void escapePressed();
    void tsHTMLShow();
    void releaseBars();

    bool m_covered = false;
    bool m_barsHeld = false;
};
