// The main window from the keyboard alone.
#include "MainForm.h"

#include "ClickPanel.h"
#include "LabWork.h"
#include "MyBitBtn.h"

#include <QScrollArea>
#include <QShortcut>
#include <QStackedWidget>

void TMainForm::setUpKeyboard()
{
    // The views that only hold a page scroll to the control that takes the focus; as tab stops
    // of their own they would be a step where nothing shows the focus.
    tsLab->setFocusPolicy(Qt::NoFocus);

    auto *about = new QShortcut(QKeySequence(Qt::Key_F1), this);
    about->setContext(Qt::WindowShortcut);
    connect(about, &QShortcut::activated, this, [this] {
        if (LabWork())
            guarded([this] { panCopyrightsClick(); });
    });
}

void TMainForm::orderMenuTabStops()
{
    if (MenuScroll)
        MenuScroll->setFocusPolicy(Qt::NoFocus);
    QWidget *previous = nullptr;
    for (TMyBitBtn *button : MenuButtons) {
        if (previous)
            QWidget::setTabOrder(previous, button);
        previous = button;
    }
    if (previous)
        QWidget::setTabOrder(previous, panCopyrights);
    // The student starts on the first chapter (or the exit, when there is none).
    focusChapterButton();
}

void TMainForm::focusChapterButton()
{
    const int index = LabWork() ? LabWork()->CurrentIndex : -1;
    if (index >= 0 && size_t(index) < MenuButtons.size())
        MenuButtons[size_t(index)]->setFocus(Qt::OtherFocusReason);
    else if (!MenuButtons.empty())
        MenuButtons.front()->setFocus(Qt::OtherFocusReason);
}
