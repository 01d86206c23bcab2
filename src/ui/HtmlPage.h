#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class THtmlViewer;

// The main window's HTML page (`tsHTML`): the chapter's title on a blue bar, the HTML viewer,
// and a hint on how to scroll. Whenever the page is shown, the viewer takes the keyboard focus,
// so that the arrow keys, PageUp and PageDown scroll the document at once.
class THtmlPage final : public QWidget
{
    Q_OBJECT

public:
    explicit THtmlPage(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(THtmlPage)

    // Sets the caption of `lbInfoTitle` (at (8, 8), sized to its text, cut at the panel's edge).
    void setTitle(const QString &title);

    QFrame *panInfoTop = nullptr;
    QLabel *lbInfoTitle = nullptr;
    THtmlViewer *Viewer = nullptr;
    QFrame *panHint = nullptr;
    QLabel *lblHint = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void tsHTMLShow();
};
