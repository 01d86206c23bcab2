// The main window keeps the HTML page on screen under the menu, so that the web engine keeps what
// it has drawn and opening a chapter only loads the document: the engine never takes the page
// for hidden, while the student can neither reach the covered page with Tab nor hear it with a
// screen reader.

#include "../ui/ViewerTestSupport.h"
#include "../ui/WebEngineTestMain.h"
#include "ClickPanel.h"
#include "Globals.h"
#include "HtmlPage.h"
#include "HtmlViewer.h"
#include "MainForm.h"
#include "MainFormTestSupport.h"
#include "MyBitBtn.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

using namespace kelvo::test;

class TestKeptPage final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void engineKeepsThePageShown();
    void coveredPageIsOutOfReach();
    void barsAreLaidOutWhenFirstNeeded_data();
    void barsAreLaidOutWhenFirstNeeded();

private:
    bool openChapter(int index);
    bool focusOnHtmlPage() const;

    QTemporaryDir m_dir;
    QString m_descriptor;
    QString m_startDirectory = QDir::currentPath();
    std::unique_ptr<TMainForm> m_form;
};

void TestKeptPage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QDir lab(m_dir.path());
    writeFile(lab, QStringLiteral("intro.htm"), "<html><body><p id=\"intro\">Intro</p></body></html>");
    writeFile(lab, QStringLiteral("more.htm"), "<html><body><p id=\"more\">More</p></body></html>");
    m_descriptor = writeFile(lab, QStringLiteral("labwork.lbw"),
        "[Header]\r\nTitle=Lab\r\n[intro]\r\nType=Information\r\nTitle=Intro\r\nIdentifier=1\r\n"
        "Document=intro.htm\r\n[more]\r\nType=Information\r\nTitle=More\r\nIdentifier=2\r\nDocument=more.htm\r\n");
    QVERIFY(kelvo::test::showMainForm(m_form, m_descriptor));
}

void TestKeptPage::cleanupTestCase()
{
    kelvo::test::closeMainForm(m_form);
    QDir::setCurrent(m_startDirectory);
}

bool TestKeptPage::openChapter(int index)
{
    return kelvo::test::openChapterByButton(*m_form, index);
}

bool TestKeptPage::focusOnHtmlPage() const
{
    const QWidget *focus = m_form->focusWidget();
    return focus && m_form->tsHTML->isAncestorOf(focus);
}

void TestKeptPage::engineKeepsThePageShown()
{
    QVERIFY(openChapter(0));
    QWebEnginePage *page = m_form->Viewer->page();
    QSignalSpy engineShown(page, &QWebEnginePage::visibleChanged);
    for (const int next : { 1, 0 }) {
        m_form->ShowMenu();
        QVERIFY(m_form->Viewer->view()->isVisible());
        QVERIFY(m_form->tsHTML->isCovered());
        QVERIFY(openChapter(next));
        QVERIFY(!m_form->tsHTML->isCovered());
        QTRY_VERIFY(evaluateScript(m_form->Viewer,
            next ? QStringLiteral("document.getElementById('more') !== null")
                 : QStringLiteral("document.getElementById('intro') !== null"))
                        .toBool());
    }
    // Shown all along for the engine: a page it took for hidden would be drawn afresh.
    QVERIFY(engineShown.isEmpty());
    QVERIFY(page->isVisible());
    QCOMPARE(page->lifecycleState(), QWebEnginePage::LifecycleState::Active);
    m_form->ShowMenu();
}

void TestKeptPage::coveredPageIsOutOfReach()
{
    QVERIFY(openChapter(0));
    QTRY_VERIFY(focusOnHtmlPage());
    QAccessibleInterface *page = QAccessible::queryAccessibleInterface(m_form->tsHTML);
    QVERIFY(page);
    QVERIFY(!page->state().invisible);
    QVERIFY(page->childCount() > 0);

    m_form->ShowMenu();
    QVERIFY(m_form->Viewer->view()->isVisible());
    QVERIFY(page->state().invisible);
    QCOMPARE(page->childCount(), 0);
    QVERIFY(!page->focusChild());
    // Tab goes round the menu's controls and never into the page below.
    m_form->MenuButtons.front()->setFocus(Qt::TabFocusReason);
    QStringList trail;
    for (int i = 0; i < 2 * int(m_form->MenuButtons.size() + 1); ++i) {
        QTest::keyClick(m_form->focusWidget(), Qt::Key_Tab);
        QWidget *focus = m_form->focusWidget();
        QVERIFY(focus);
        trail.append(focus->objectName());
        QVERIFY2(m_form->tsMenu->isAncestorOf(focus), qPrintable(trail.join(u", ")));
    }
    QVERIFY2(trail.contains(m_form->panCopyrights->objectName()), qPrintable(trail.join(u", ")));

    // Shown again, the page is there for the screen reader and its document has the keys.
    QVERIFY(openChapter(1));
    QTRY_VERIFY(focusOnHtmlPage());
    QVERIFY(!page->state().invisible);
    QVERIFY(page->childCount() > 0);
    m_form->ShowMenu();
}

void TestKeptPage::barsAreLaidOutWhenFirstNeeded_data()
{
    QTest::addColumn<bool>("engineFirst");
    QTest::newRow("nominal: the engine starts under the menu") << true;
    QTest::newRow("nominal: the page is shown before the engine starts") << false;
}

void TestKeptPage::barsAreLaidOutWhenFirstNeeded()
{
    QFETCH(bool, engineFirst);
    std::unique_ptr<TMainForm> form;
    const auto restore = qScopeGuard([this, &form] {
        form.reset();
        MainForm = m_form.get();
    });
    QVERIFY(kelvo::test::showMainForm(form, m_descriptor));
    THtmlPage *page = form->tsHTML;
    // Under the menu, before anything needs them, the bars take no part in the window's layout.
    QVERIFY(page->isVisible());
    QVERIFY(!form->Viewer->engineStarted());
    QVERIFY(page->panInfoTop->isHidden());
    QVERIFY(page->panHint->isHidden());

    if (engineFirst) {
        // No event handled in between: the page is laid out before the engine makes its view in
        // the viewer, which then never has to be drawn again at another size.
        QVERIFY(form->Viewer->view());
    } else {
        form->tsHTML->setTitle(QStringLiteral("Intro"));
        form->Pages->setCurrentWidget(form->tsHTML);
    }
    QVERIFY(page->panInfoTop->isVisible());
    QVERIFY(page->panHint->isVisible());
    QCOMPARE(page->panInfoTop->geometry(), QRect(0, 0, page->width(), page->panInfoTop->height()));
    QCOMPARE(form->Viewer->geometry().top(), page->panInfoTop->geometry().bottom() + 1);
    QCOMPARE(form->Viewer->geometry().bottom() + 1, page->panHint->geometry().top());
    QCOMPARE(page->panHint->geometry().bottom() + 1, page->height());
    QVERIFY(page->lblHint->isVisible());
    QVERIFY(page->panHint->contentsRect().contains(page->lblHint->geometry()));
    QVERIFY(page->btMenu->isVisible());
}

KELVO_WEBENGINE_TEST_MAIN(TestKeptPage)

#include "tst_keptpage_web.moc"
