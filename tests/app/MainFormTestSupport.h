#pragma once

#include "Globals.h"
#include "HtmlViewer.h"
#include "MainForm.h"
#include "MyBitBtn.h"

#include <QSignalSpy>
#include <QStackedWidget>
#include <QStringList>
#include <QTest>

#include <memory>

namespace kelvo::test {

// The main window on a lab work's descriptor, made the program's window and shown: false when the
// lab work did not start or the window never came up.
inline bool showMainForm(std::unique_ptr<TMainForm> &form, const QString &descriptor)
{
    form = std::make_unique<TMainForm>(QStringList { descriptor });
    MainForm = form.get();
    if (form->StartupFailed())
        return false;
    form->show();
    return QTest::qWaitForWindowExposed(form.get());
}

inline void closeMainForm(std::unique_ptr<TMainForm> &form)
{
    form.reset();
    MainForm = nullptr;
}

// Presses the menu button of a chapter and waits for its document: true when it loaded and the
// HTML page is the one shown.
inline bool openChapterByButton(TMainForm &form, int index)
{
    QSignalSpy finished(form.Viewer, &THtmlViewer::loadFinished);
    form.ButtonClick(form.MenuButtons[size_t(index)]);
    return finished.wait(20000) && finished.constLast().constFirst().toBool()
        && form.Pages->currentWidget() == form.tsHTML;
}

} // namespace kelvo::test
