#pragma once

#include "BrowserStandIn.h"
#include "HtmlPage.h"
#include "HtmlViewer.h"
#include "ViewerTestSupport.h"

#include <QDesktopServices>
#include <QLabel>
#include <QStackedWidget>
#include <QTest>

#include <memory>

namespace kelvo::test {

// Two pages stacked as the main window stacks them, a stand-in for the menu and the HTML page on
// a lab folder, in a window made active so that keys go where a student's would (the page's
// shortcuts and focus follow the active window). Links for the desktop's browser reach `browser`
// while the pages live.
struct ViewerPages
{
    BrowserStandIn browser;
    std::unique_ptr<QStackedWidget> pages;
    QWidget *otherPage = nullptr;
    THtmlPage *htmlPage = nullptr;
    THtmlViewer *viewer = nullptr;

    ViewerPages() = default;
    Q_DISABLE_COPY_MOVE(ViewerPages)
    ~ViewerPages()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    // Shows the HTML page with a first document: false when the window or the document did not
    // come up.
    bool show(const QString &labFolder)
    {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
        pages = std::make_unique<QStackedWidget>();
        otherPage = new QLabel(QStringLiteral("menu"), pages.get());
        htmlPage = new THtmlPage(pages.get());
        pages->addWidget(otherPage);
        pages->addWidget(htmlPage);
        viewer = htmlPage->Viewer;
        viewer->setLabFolder(labFolder);
        pages->resize(800, 600);
        pages->show();
        if (!QTest::qWaitForWindowExposed(pages.get()))
            return false;
        pages->activateWindow();
        if (!QTest::qWaitForWindowActive(pages.get()))
            return false;
        pages->setCurrentWidget(htmlPage);
        return loadDocument(viewer, "<html><head><meta charset=\"utf-8\"></head><body><p>start</p></body></html>");
    }
};

} // namespace kelvo::test
