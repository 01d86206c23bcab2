// Documents that would strand the student or wear out the machine, in the real engine on the
// HTML page: links that lead away from the chapter's document, links laid over the page, pages
// that refresh themselves, deep nesting, and a picture that declares billions of pixels.

#include "../app/tst_hostile_fixture.h"
#include "HtmlPage.h"
#include "HtmlViewer.h"
#include "Localization.h"
#include "TestSupport.h"
#include "ViewerPages.h"
#include "ViewerTestSupport.h"
#include "WebEngineTestMain.h"

#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <algorithm>
#include <memory>

using kelvo::test::writeFile;

namespace {

QByteArray utf8Page(const QString &body, const QString &head = {})
{
    return QStringLiteral("<html><head><meta charset=\"utf-8\">%1</head><body>%2</body></html>")
        .arg(head, body)
        .toUtf8();
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray chunk;
    const quint32 size = quint32(data.size());
    chunk.append(char(size >> 24)).append(char(size >> 16)).append(char(size >> 8)).append(char(size));
    const quint32 crc = kelvo::test::crc32Of(QByteArray(type + data));
    chunk.append(type).append(data);
    chunk.append(char(crc >> 24)).append(char(crc >> 16)).append(char(crc >> 8)).append(char(crc));
    return chunk;
}

// A grey PNG of one bit per pixel: a few kilobytes on disk for any number of pixels.
QByteArray blankPng(int width, int height)
{
    QByteArray header;
    for (const int side : { width, height })
        header.append(char(side >> 24)).append(char(side >> 16)).append(char(side >> 8)).append(char(side));
    header.append(char(1)).append(char(0)).append(char(0)).append(char(0)).append(char(0));
    const QByteArray row = QByteArray(1 + (width + 7) / 8, '\0');
    const QByteArray zlib = qCompress(row.repeated(height), 9).mid(4); // without Qt's size prefix
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", zlib)
        + pngChunk("IEND", {});
}

} // namespace

class TestHostileDocuments final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void linkedPagesLeadBackToTheDocument();
    void blankTargetOpensInTheSameView();
    void keysLeaveForTheMenu_data();
    void keysLeaveForTheMenu();
    void clicksOnWhatLinksDoNotShow_data();
    void clicksOnWhatLinksDoNotShow();
    void refreshesAreFollowedOnce_data();
    void refreshesAreFollowedOnce();
    void hiddenPageDoesNoWork();
    void coveredPageDoesNoWork_data();
    void coveredPageDoesNoWork();
    void coveredPageGivesItsMemoryBack_data();
    void coveredPageGivesItsMemoryBack();
    void coveredBusyPageIsSetAside();
    void deepNestingCanBeLeft();
    void pictureBeyondTheCapsIsReplaced_data();
    void pictureBeyondTheCapsIsReplaced();

private:
    bool load(const QByteArray &document) { return kelvo::test::loadDocument(m_viewer, document); }
    QVariant evaluate(const QString &script) { return kelvo::test::evaluateScript(m_viewer, script); }
    QWidget *renderWidget() { return m_viewer->view()->focusProxy(); }
    QPoint centreOf(const QString &elementId);
    void click(const QString &elementId, Qt::MouseButton button = Qt::LeftButton);
    bool shows(const QString &elementId);
    bool followLink(const QString &elementId);
    void showHtmlPage();

    QTemporaryDir m_dir;
    QStackedWidget *m_pages = nullptr;
    THtmlPage *m_htmlPage = nullptr;
    THtmlViewer *m_viewer = nullptr;
    QWidget *m_otherPage = nullptr;
    kelvo::test::ViewerPages m_view;
};

void TestHostileDocuments::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QDir lab(m_dir.path());
    writeFile(lab, QStringLiteral("a.htm"),
        utf8Page(QStringLiteral("<p id=\"a\">page a</p><a id=\"next\" href=\"b.htm\">on to b</a>"
                                "<form><input name=\"f\" id=\"field\" value=\"abc\"></form>")));
    writeFile(lab, QStringLiteral("b.htm"), utf8Page(QStringLiteral("<p id=\"b\">page b</p>")));
    writeFile(lab, QStringLiteral("self.htm"),
        utf8Page(
            QStringLiteral("<p id=\"self\">self</p>"), QStringLiteral("<meta http-equiv=\"refresh\" content=\"0\">")));
    writeFile(lab, QStringLiteral("ping.htm"),
        utf8Page(QStringLiteral("<p id=\"ping\">ping</p>"),
            QStringLiteral("<meta http-equiv=\"refresh\" content=\"0; url=pong.htm\">")));
    writeFile(lab, QStringLiteral("pong.htm"),
        utf8Page(QStringLiteral("<p id=\"pong\">pong</p>"),
            QStringLiteral("<meta http-equiv=\"refresh\" content=\"0; url=ping.htm\">")));
    writeFile(lab, QStringLiteral("bomb.png"), blankPng(20000, 20000));
    writeFile(lab, QStringLiteral("wide.png"), blankPng(9000, 10));
    writeFile(lab, QStringLiteral("fair.png"), blankPng(300, 200));

    QVERIFY(m_view.show(m_dir.path()));
    m_pages = m_view.pages.get();
    m_otherPage = m_view.otherPage;
    m_htmlPage = m_view.htmlPage;
    m_viewer = m_view.viewer;
}

void TestHostileDocuments::cleanupTestCase()
{
    m_view.pages.reset();
}

void TestHostileDocuments::init()
{
    m_view.browser.opened.clear();
    showHtmlPage();
}

void TestHostileDocuments::showHtmlPage()
{
    m_pages->setCurrentWidget(m_htmlPage);
    m_viewer->setFocus();
}

QPoint TestHostileDocuments::centreOf(const QString &elementId)
{
    return kelvo::test::elementCentre(m_viewer, elementId);
}

void TestHostileDocuments::click(const QString &elementId, Qt::MouseButton button)
{
    const QPoint at = centreOf(elementId);
    QVERIFY2(!at.isNull(), qPrintable(elementId));
    QTest::mouseClick(renderWidget(), button, {}, at);
}

bool TestHostileDocuments::shows(const QString &elementId)
{
    return evaluate(QStringLiteral("document.getElementById('%1') !== null").arg(elementId)).toBool();
}

bool TestHostileDocuments::followLink(const QString &elementId)
{
    QSignalSpy finished(m_viewer, &THtmlViewer::loadFinished);
    click(elementId);
    return finished.wait(10000);
}

void TestHostileDocuments::linkedPagesLeadBackToTheDocument()
{
    QVERIFY(load(utf8Page(QStringLiteral("<p id=\"doc\">the chapter</p><a id=\"link\" href=\"A.HTM\">a</a>")
        + Texts::ReadConfirmationForm.toUtf8())));
    QVERIFY(!m_htmlPage->btDocument->isVisible());
    QVERIFY(m_htmlPage->btMenu->isVisible());

    // Keys: Backspace and Alt+Left step back one page at a time, and no further than the document.
    QVERIFY(followLink(QStringLiteral("link")));
    QVERIFY(shows(QStringLiteral("a")));
    QVERIFY(m_htmlPage->btDocument->isVisible());
    QVERIFY(followLink(QStringLiteral("next")));
    QVERIFY(shows(QStringLiteral("b")));
    QSignalSpy finished(m_viewer, &THtmlViewer::loadFinished);
    QTest::keyClick(renderWidget(), Qt::Key_Backspace);
    QTRY_VERIFY(shows(QStringLiteral("a")));
    // Backspace in a field edits the field.
    click(QStringLiteral("field"));
    QTest::keyClick(renderWidget(), Qt::Key_End);
    QTest::keyClick(renderWidget(), Qt::Key_Backspace);
    QTRY_COMPARE(evaluate(QStringLiteral("document.getElementById('field').value")).toString(), QStringLiteral("ab"));
    QVERIFY(shows(QStringLiteral("a")));
    click(QStringLiteral("a"));
    QTest::keyClick(renderWidget(), Qt::Key_Left, Qt::AltModifier);
    QTRY_VERIFY(shows(QStringLiteral("doc")));
    QTRY_VERIFY(!m_htmlPage->btDocument->isVisible());
    QVERIFY(evaluate(QStringLiteral("document.forms[0].getAttribute('action')")).toString() == u"?system");
    QTest::keyClick(renderWidget(), Qt::Key_Backspace);
    QTest::qWait(300);
    QVERIFY(shows(QStringLiteral("doc")));

    // The button on the bar goes straight back to the document, from any depth.
    QVERIFY(followLink(QStringLiteral("link")));
    QVERIFY(followLink(QStringLiteral("next")));
    QTRY_VERIFY(m_htmlPage->btDocument->isVisible());
    QTest::mouseClick(m_htmlPage->btDocument, Qt::LeftButton);
    QTRY_VERIFY(shows(QStringLiteral("doc")));
    QTRY_VERIFY(!m_htmlPage->btDocument->isVisible());
}

void TestHostileDocuments::keysLeaveForTheMenu_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("leaves");

    QTest::newRow("nominal: Escape on the document")
        << QStringLiteral("doc") << int(Qt::Key_Escape) << int(Qt::NoModifier) << true;
    QTest::newRow("nominal: Escape in a field")
        << QStringLiteral("field") << int(Qt::Key_Escape) << int(Qt::NoModifier) << true;
    QTest::newRow("nominal: Backspace on the document")
        << QStringLiteral("doc") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << true;
    QTest::newRow("nominal: Alt+Left on the document")
        << QStringLiteral("doc") << int(Qt::Key_Left) << int(Qt::AltModifier) << true;
    QTest::newRow("robustness: Backspace in a field edits it")
        << QStringLiteral("field") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << false;
    QTest::newRow("robustness: Left on the document")
        << QStringLiteral("doc") << int(Qt::Key_Left) << int(Qt::NoModifier) << false;
}

void TestHostileDocuments::keysLeaveForTheMenu()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, leaves);

    QVERIFY(load(utf8Page(QStringLiteral("<p id=\"doc\">the chapter</p><form><input name=\"f\" id=\"field\" "
                                         "value=\"abc\"></form>")
        + Texts::ReadConfirmationForm.toUtf8())));
    click(focus);
    if (focus == u"field") {
        QTRY_COMPARE(evaluate(QStringLiteral("document.activeElement.id")).toString(), focus);
        QTest::keyClick(renderWidget(), Qt::Key_End);
    }
    QSignalSpy menu(m_htmlPage, &THtmlPage::menuRequested);
    QTest::keyClick(renderWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    if (leaves) {
        QTRY_COMPARE(menu.count(), 1);
    } else {
        QTest::qWait(300);
        QCOMPARE(menu.count(), 0);
    }
    if (focus == u"field")
        QTRY_COMPARE(evaluate(QStringLiteral("document.getElementById('field').value")).toString(),
            key == Qt::Key_Backspace ? QStringLiteral("ab") : QStringLiteral("abc"));
}

void TestHostileDocuments::blankTargetOpensInTheSameView()
{
    QVERIFY(load(utf8Page(QStringLiteral("<p id=\"doc\">the chapter</p><a id=\"link\" href=\"a.htm\" "
                                         "target=\"_blank\">a</a>")
        + Texts::ReadConfirmationForm.toUtf8())));
    QVERIFY(followLink(QStringLiteral("link")));
    QVERIFY(shows(QStringLiteral("a")));
    QTRY_VERIFY(m_htmlPage->btDocument->isVisible());
    QTest::keyClick(renderWidget(), Qt::Key_Backspace);
    QTRY_VERIFY(shows(QStringLiteral("doc")));
    QVERIFY(m_view.browser.opened.isEmpty());
}

void TestHostileDocuments::clicksOnWhatLinksDoNotShow_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("submits");

    const QString readButton = QStringLiteral("<form action=\"?system\"><input type=\"submit\" id=\"read\" "
                                              "value=\"   Все прочитано, назад.   \"></form>");
    const QString cover = QStringLiteral("position: fixed; left: 0; top: 0; width: 100%; height: 100%;");
    QTest::newRow("security: a transparent link over the whole page, on the read button")
        << QStringLiteral("<p>text</p>%1<a id=\"x\" href=\"http://example.org/\" style=\"%2 opacity: 0\">x</a>")
               .arg(readButton, cover)
        << QStringLiteral("read") << int(Qt::LeftButton) << false << true;
    QTest::newRow("security: an empty link over the whole page, on the read button")
        << QStringLiteral("%1<a id=\"x\" href=\"http://example.org/\" style=\"%2\"></a>").arg(readButton, cover)
        << QStringLiteral("read") << int(Qt::LeftButton) << false << true;
    QTest::newRow("security: a visible link laid over the read button")
        << QStringLiteral("%1<a id=\"x\" href=\"https://example.org/\" style=\"%2 background: yellow\">x</a>")
               .arg(readButton, cover)
        << QStringLiteral("read") << int(Qt::LeftButton) << false << true;
    QTest::newRow("security: a transparent link, clicked on the text under it")
        << QStringLiteral("<p id=\"p\">text</p><a id=\"x\" href=\"http://example.org/\" style=\"%1 opacity: 0.01\">"
                          "x</a>")
               .arg(cover)
        << QStringLiteral("p") << int(Qt::LeftButton) << false << false;
    QTest::newRow("security: a transparent link, middle button")
        << QStringLiteral("<p id=\"p\">text</p><a id=\"x\" href=\"http://example.org/\" style=\"%1 opacity: 0\">x</a>")
               .arg(cover)
        << QStringLiteral("p") << int(Qt::MiddleButton) << false << false;
    QTest::newRow("security: a link in a transparent block")
        << QStringLiteral("<p id=\"p\">text</p><div style=\"%1 opacity: 0\"><a href=\"http://example.org/\" "
                          "style=\"display: block; width: 100%; height: 100%\">x</a></div>")
               .arg(cover)
        << QStringLiteral("p") << int(Qt::LeftButton) << false << false;
    QTest::newRow("security: a link whose text has no colour")
        << QStringLiteral("<p id=\"p\">text</p><a id=\"x\" href=\"http://example.org/\" style=\"%1 color: "
                          "transparent; font-size: 2000px\">WWWW</a>")
               .arg(cover)
        << QStringLiteral("p") << int(Qt::LeftButton) << false << false;
    QTest::newRow("nominal: a visible link opens in the browser")
        << QStringLiteral("<p><a id=\"x\" href=\"http://example.org/\">the web</a></p>%1").arg(readButton)
        << QStringLiteral("x") << int(Qt::LeftButton) << true << false;
    QTest::newRow("nominal: a picture link opens in the browser")
        << QStringLiteral("<p><a href=\"http://example.org/\"><img id=\"x\" src=\"fair.png\"></a></p>")
        << QStringLiteral("x") << int(Qt::LeftButton) << true << false;
    QTest::newRow("nominal: a coloured box link opens in the browser")
        << QStringLiteral("<p><a id=\"x\" href=\"http://example.org/\" style=\"display: inline-block; width: 80px; "
                          "height: 30px; background: navy\"></a></p>")
        << QStringLiteral("x") << int(Qt::LeftButton) << true << false;
}

void TestHostileDocuments::clicksOnWhatLinksDoNotShow()
{
    QFETCH(QString, body);
    QFETCH(QString, clicked);
    QFETCH(int, button);
    QFETCH(bool, opens);
    QFETCH(bool, submits);

    QVERIFY(load(utf8Page(body)));
    QTRY_VERIFY(evaluate(QStringLiteral("Array.from(document.images).every(i => i.complete)")).toBool());
    const QUrl shown = m_viewer->page()->url();
    QSignalSpy submitted(m_viewer, &THtmlViewer::formSubmitted);
    click(clicked, Qt::MouseButton(button));
    if (opens)
        QTRY_COMPARE(m_view.browser.opened, QList<QUrl> { QUrl(QStringLiteral("http://example.org/")) });
    if (submits)
        QVERIFY(submitted.wait(10000));
    QTest::qWait(500);
    QCOMPARE(m_view.browser.opened.size(), opens ? 1 : 0);
    QCOMPARE(submitted.size(), submits ? 1 : 0);
    QCOMPARE(m_viewer->page()->url(), shown);
}

void TestHostileDocuments::refreshesAreFollowedOnce_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("shown");

    QTest::newRow("robustness: a page that refreshes itself") << QStringLiteral("self.htm") << QStringLiteral("self");
    QTest::newRow("robustness: two pages that refresh each other")
        << QStringLiteral("ping.htm") << QStringLiteral("pong");
}

void TestHostileDocuments::refreshesAreFollowedOnce()
{
    QFETCH(QString, link);
    QFETCH(QString, shown);

    QVERIFY(load(utf8Page(QStringLiteral("<a id=\"link\" href=\"%1\">go</a>").arg(link))));
    QSignalSpy finished(m_viewer, &THtmlViewer::loadFinished);
    click(QStringLiteral("link"));
    QTRY_VERIFY(shows(shown));
    QTest::qWait(1500);
    // The link, and at most the one refresh.
    const auto loaded = std::count_if(
        finished.cbegin(), finished.cend(), [](const QList<QVariant> &arguments) { return arguments[0].toBool(); });
    QVERIFY2(loaded >= 1 && loaded <= 2, qPrintable(QString::number(loaded)));
    QVERIFY(shows(shown));
}

void TestHostileDocuments::hiddenPageDoesNoWork()
{
    QVERIFY(load(utf8Page(QStringLiteral("<p id=\"doc\">doc</p>"))));
    QVERIFY(m_viewer->page()->renderProcessPid() > 0);
    QCOMPARE(m_viewer->page()->lifecycleState(), QWebEnginePage::LifecycleState::Active);

    m_pages->setCurrentWidget(m_otherPage);
    QTRY_COMPARE(m_viewer->page()->lifecycleState(), QWebEnginePage::LifecycleState::Discarded);
    QSignalSpy started(m_viewer->page(), &QWebEnginePage::loadStarted);
    QTest::qWait(500);
    QCOMPARE(started.size(), 0);

    // Shown again, the next document loads as ever.
    showHtmlPage();
    QVERIFY(load(utf8Page(QStringLiteral("<p id=\"again\">again</p>"))));
    QVERIFY(shows(QStringLiteral("again")));
}

void TestHostileDocuments::coveredPageDoesNoWork_data()
{
    QTest::addColumn<bool>("covered");

    QTest::newRow("robustness: covered by another page") << true;
    QTest::newRow("control: shown, the refresh is followed") << false;
}

void TestHostileDocuments::coveredPageDoesNoWork()
{
    QFETCH(bool, covered);

    QVERIFY(load(utf8Page(QStringLiteral("<p id=\"doc\">doc</p>"),
        QStringLiteral("<meta http-equiv=\"refresh\" content=\"1; url=b.htm\">"))));
    QSignalSpy urls(m_viewer->page(), &QWebEnginePage::urlChanged);
    QSignalSpy finished(m_viewer, &THtmlViewer::loadFinished);
    QSignalSpy engineShown(m_viewer->page(), &QWebEnginePage::visibleChanged);
    m_htmlPage->setCovered(covered);
    QTest::qWait(2500);
    const bool refreshed = std::any_of(urls.cbegin(), urls.cend(),
        [](const QList<QVariant> &arguments) { return arguments[0].toUrl().path().endsWith(u"b.htm"); });
    QCOMPARE(refreshed, !covered);
    if (covered) {
        // The document gave way to an empty one, which is nobody's document: no load is
        // reported. The view stayed on screen for the engine all along.
        QVERIFY(!shows(QStringLiteral("doc")));
        QVERIFY(finished.isEmpty());
        QVERIFY(m_viewer->view()->isVisible());
        QVERIFY(m_viewer->page()->isVisible());
        QVERIFY(engineShown.isEmpty());
        QCOMPARE(m_viewer->page()->lifecycleState(), QWebEnginePage::LifecycleState::Active);
        m_htmlPage->setCovered(false);
    }
    QVERIFY(load(utf8Page(QStringLiteral("<p id=\"again\">again</p>"))));
    QVERIFY(shows(QStringLiteral("again")));
}

void TestHostileDocuments::coveredPageGivesItsMemoryBack_data()
{
    QTest::addColumn<bool>("covered");

    QTest::newRow("nominal: covered, the page collects once it shows the empty document") << true;
    QTest::newRow("control: shown, nothing collects") << false;
}

void TestHostileDocuments::coveredPageGivesItsMemoryBack()
{
    QFETCH(bool, covered);

    // A probe in the viewer's own world of every document counts the calls of V8's collector,
    // which that world has where the engine started with the viewer's flags.
    QWebEngineScript probe;
    probe.setName(QStringLiteral("test-collection-probe"));
    probe.setSourceCode(QStringLiteral("window.kelvoTestCollections = 0;"
                                       "if (typeof gc === 'function') {"
                                       "  const collect = gc;"
                                       "  gc = function () { ++window.kelvoTestCollections; return collect(); };"
                                       "}"));
    probe.setInjectionPoint(QWebEngineScript::DocumentCreation);
    probe.setWorldId(QWebEngineScript::ApplicationWorld);
    probe.setRunsOnSubFrames(false);
    m_viewer->page()->scripts().insert(probe);
    const auto removeProbe = qScopeGuard([&] { m_viewer->page()->scripts().remove(probe); });
    const QString collections = QStringLiteral("window.kelvoTestCollections");

    QVERIFY(load(utf8Page(QStringLiteral("<p id=\"doc\">doc</p>"))));
    QCOMPARE(evaluate(QStringLiteral("typeof gc")).toString(), QStringLiteral("function"));
    QCOMPARE(evaluate(collections).toInt(), 0);
    m_htmlPage->setCovered(covered);
    if (covered) {
        // Once the empty document has taken the document's place, nothing of it is reachable.
        QTRY_VERIFY_WITH_TIMEOUT(!shows(QStringLiteral("doc")) && evaluate(collections).toInt() == 1, 5000);
        m_htmlPage->setCovered(false);
    } else {
        QTest::qWait(1500);
        QCOMPARE(evaluate(collections).toInt(), 0);
    }
    QVERIFY(load(utf8Page(QStringLiteral("<p id=\"again\">again</p>"))));
    QVERIFY(shows(QStringLiteral("again")));
}

void TestHostileDocuments::coveredBusyPageIsSetAside()
{
    const QByteArray deep = "<html><body>" + QByteArray("<div>").repeated(200'000) + "deep</body></html>";
    m_viewer->LoadFromString(deep);
    QTest::qWait(1000);
    m_htmlPage->setCovered(true);
    // Its process busy with the deep document, the page cannot take the empty one: it is set
    // aside within a few seconds, and the next document does not wait for the deep one.
    QTRY_COMPARE_WITH_TIMEOUT(m_viewer->page()->lifecycleState(), QWebEnginePage::LifecycleState::Discarded, 5000);
    m_viewer->LoadFromString(utf8Page(QStringLiteral("<p id=\"next\">next</p>")));
    m_htmlPage->setCovered(false);
    QTRY_VERIFY_WITH_TIMEOUT(shows(QStringLiteral("next")), 20000);
    QVERIFY(m_viewer->page()->isVisible());
}

void TestHostileDocuments::deepNestingCanBeLeft()
{
    const QByteArray deep = "<html><body>" + QByteArray("<div>").repeated(200'000) + "deep</body></html>";
    QSignalSpy menu(m_htmlPage, &THtmlPage::menuRequested);
    m_viewer->LoadFromString(deep);
    QTest::qWait(1000);
    // The button outside the document answers while the engine lays it out.
    QTest::mouseClick(m_htmlPage->btMenu, Qt::LeftButton);
    QCOMPARE(menu.size(), 1);
    m_pages->setCurrentWidget(m_otherPage);
    QTRY_COMPARE(m_viewer->page()->lifecycleState(), QWebEnginePage::LifecycleState::Discarded);

    // The next document does not wait for the deep one: opened as the main window opens a
    // chapter, loaded first and then shown.
    m_viewer->LoadFromString(utf8Page(QStringLiteral("<p id=\"next\">next</p>")));
    showHtmlPage();
    QTRY_VERIFY_WITH_TIMEOUT(shows(QStringLiteral("next")), 20000);
}

void TestHostileDocuments::pictureBeyondTheCapsIsReplaced_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<int>("width");

    QTest::newRow("security: 20,000 x 20,000 pixels") << QStringLiteral("bomb.png") << 32;
    QTest::newRow("security: wider than the widest side") << QStringLiteral("wide.png") << 32;
    QTest::newRow("nominal: a picture within the caps") << QStringLiteral("fair.png") << 300;
}

void TestHostileDocuments::pictureBeyondTheCapsIsReplaced()
{
    QFETCH(QString, picture);
    QFETCH(int, width);

    QVERIFY(load(utf8Page(QStringLiteral("<img id=\"i\" src=\"%1\">").arg(picture))));
    QTRY_VERIFY(evaluate(QStringLiteral("document.getElementById('i').complete")).toBool());
    QCOMPARE(evaluate(QStringLiteral("document.getElementById('i').naturalWidth")).toInt(), width);
}

KELVO_WEBENGINE_TEST_MAIN(TestHostileDocuments)

#include "tst_hostile_documents_web.moc"
