#include "HtmlPage.h"
#include "HtmlViewer.h"
#include "LabScheme.h"
#include "Localization.h"
#include "TestSupport.h"
#include "TextFormat.h"
#include "ViewerPages.h"
#include "ViewerTestSupport.h"
#include "WebEngineTestMain.h"

#include <QDir>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <memory>

using kelvo::test::writeFile;

namespace {

// A 1 x 1 GIF picture.
const QByteArray TinyGif = QByteArray::fromHex("47494638396101000100800000ff000000000021f90400000000002c00000000"
                                               "010001000002024401003b");

QByteArray utf8Page(const QString &body)
{
    return QByteArrayLiteral("<html><head><meta charset=\"utf-8\"></head><body>") + body.toUtf8()
        + QByteArrayLiteral("</body></html>");
}

} // namespace

class TestHtmlViewer final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void document_data();
    void document();
    void submissionLines_data();
    void submissionLines();
    void clickOnReadConfirmationReportsAfterTheClick();
    void receiverMayLoadAnotherDocument();
    void secondClickWhileHandledIsDropped();
    void arrowAndPageKeysScroll();
    void links();
    void backToFormerDocumentsIsRefused();
    void downloadsAreCancelled();
    void noNetworkRequest();
    void pageLooksRight();
    void warmUpWaitsForTheWindow();

private:
    bool load(const QByteArray &document);
    QVariant evaluate(const QString &script);
    QPoint centreOf(const QString &elementId);
    void click(const QString &elementId);
    QWidget *renderWidget() { return m_viewer->view()->focusProxy(); }

    QTemporaryDir m_dir;
    QString m_lab;
    QString m_outside;
    QStackedWidget *m_pages = nullptr;
    THtmlPage *m_htmlPage = nullptr;
    THtmlViewer *m_viewer = nullptr;
    QWidget *m_otherPage = nullptr;
    kelvo::test::ViewerPages m_view;
};

void TestHtmlViewer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QDir root(m_dir.path());
    m_lab = root.absoluteFilePath(QStringLiteral("lab"));
    QVERIFY(root.mkpath(QStringLiteral("lab")));
    const QDir lab(m_lab);
    writeFile(lab, QStringLiteral("pictures/fig1.gif"), TinyGif);
    writeFile(lab, QStringLiteral("style.css"), "body { background-color: rgb(250, 240, 200); }");
    writeFile(lab, QStringLiteral("data.zip"), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
    writeFile(lab, QStringLiteral("second.htm"),
        "<html><body><p id=\"second\">second</p><form action=\"own\"><input name=\"n\" value=\"v\">"
        "<input type=\"submit\" id=\"go\"></form></body></html>");
    m_outside = writeFile(root, QStringLiteral("outside.gif"), TinyGif);
    writeFile(root, QStringLiteral("outside.css"), "body { background-color: rgb(9, 9, 9); }");

    QVERIFY(m_view.show(m_lab));
    m_pages = m_view.pages.get();
    m_otherPage = m_view.otherPage;
    m_htmlPage = m_view.htmlPage;
    m_viewer = m_view.viewer;
}

void TestHtmlViewer::cleanupTestCase()
{
    m_view.pages.reset();
}

void TestHtmlViewer::init()
{
    m_view.browser.opened.clear();
}

bool TestHtmlViewer::load(const QByteArray &document)
{
    return kelvo::test::loadDocument(m_viewer, document);
}

QVariant TestHtmlViewer::evaluate(const QString &script)
{
    return kelvo::test::evaluateScript(m_viewer, script);
}

QPoint TestHtmlViewer::centreOf(const QString &elementId)
{
    return kelvo::test::elementCentre(m_viewer, elementId);
}

void TestHtmlViewer::click(const QString &elementId)
{
    const QPoint at = centreOf(elementId);
    QVERIFY2(!at.isNull(), qPrintable(elementId));
    QTest::mouseClick(renderWidget(), Qt::LeftButton, {}, at);
}

void TestHtmlViewer::document_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("probe");

    QTest::newRow("nominal: document with </body>")
        << QByteArray("<html><body><p id=\"p\">text</p>" + Texts::ReadConfirmationForm.toUtf8() + "</body></html>")
        << QStringLiteral("document.getElementById('p').textContent === 'text' && document.forms.length === 1");
    QTest::newRow("nominal: form first, document without </body>")
        << QByteArray(Texts::ReadConfirmationForm.toUtf8() + "<html><body><p id=\"p\">text</p>")
        << QStringLiteral("document.getElementById('p').textContent === 'text' && document.forms.length === 1");
    QTest::newRow("robustness: empty document") << QByteArray() << QStringLiteral("document.body !== null");

    QByteArray large = "<html><body>";
    while (large.size() < 3 * 1024 * 1024)
        large += "<p>A line of a long document, to go beyond the two megabytes that setHtml takes.</p>\r\n";
    large += "<p id=\"last\">end</p></body></html>";
    QTest::newRow("robustness: 3 MB document") << large << QStringLiteral("document.getElementById('last') !== null");

    QTest::newRow("nominal: Windows-1251 without a declaration")
        << kelvo::test::windowsText(QStringLiteral("<html><body><p id=\"p\">Лабораторная работа №1</p></body></html>"))
        << QStringLiteral("document.getElementById('p').textContent === 'Лабораторная работа №1'"
                          " && document.characterSet === 'windows-1251'");
    QTest::newRow("nominal: Windows-1251 declared as the quiz page does")
        << kelvo::test::windowsText(kelvo::format(Texts::QuizPageHead, { QStringLiteral("Тест"), qint64(1) })
               + QStringLiteral("<p id=\"p\">Ответ</p>"))
        << QStringLiteral("document.getElementById('p').textContent === 'Ответ'");
    QTest::newRow("nominal: UTF-8 declared") << utf8Page(QStringLiteral("<p id=\"p\">Ёлка ✓</p>"))
                                             << QStringLiteral("document.getElementById('p').textContent === 'Ёлка ✓'"
                                                               " && document.characterSet === 'UTF-8'");

    QTest::newRow("nominal: picture named in another letter case, with a backslash")
        << utf8Page(QStringLiteral("<img id=\"i\" src=\"Pictures\\Fig1.GIF\">"))
        << QStringLiteral("document.getElementById('i').naturalWidth === 1");
    QTest::newRow("nominal: style sheet named in another letter case") << QByteArray(
        "<html><head><link rel=\"StyleSheet\" type=\"text/css\" href=\"STYLE.CSS\"></head><body>x</body>"
        "</html>") << QStringLiteral("getComputedStyle(document.body).backgroundColor === 'rgb(250, 240, 200)'");

    const QString outsideUrl = QUrl::fromLocalFile(m_outside).toString();
    const QString outsideCss
        = QUrl::fromLocalFile(QDir(m_dir.path()).absoluteFilePath(QStringLiteral("outside.css"))).toString();
    QTest::newRow("security: picture above the lab folder")
        << utf8Page(QStringLiteral("<img id=\"i\" src=\"../outside.gif\"><img id=\"j\" src=\"..\\outside.gif\">"
                                   "<img id=\"k\" src=\"%2e%2e/outside.gif\"><img id=\"l\" src=\"..%5Coutside.gif\">"))
        << QStringLiteral("['i', 'j', 'k', 'l'].every(id => document.getElementById(id).naturalWidth === 0)");
    QTest::newRow("security: file URLs and absolute paths")
        << utf8Page(QStringLiteral("<link rel=\"stylesheet\" href=\"%1\"><img id=\"i\" src=\"%2\">"
                                   "<img id=\"j\" src=\"%3\">")
                        .arg(outsideCss, outsideUrl, m_outside))
        << QStringLiteral("document.getElementById('i').naturalWidth === 0"
                          " && document.getElementById('j').naturalWidth === 0"
                          " && getComputedStyle(document.body).backgroundColor !== 'rgb(9, 9, 9)'");

    const QString mark = QStringLiteral("document.documentElement.setAttribute('data-ran', 'yes')");
    const QString notRun = QStringLiteral("!document.documentElement.hasAttribute('data-ran')");
    QTest::newRow("security: script element") << utf8Page(QStringLiteral("<script>%1</script>x").arg(mark)) << notRun;
    QTest::newRow("security: event attributes") << QByteArray("<html><body onload=\"" + mark.toUtf8()
        + "\"><img src=\"missing.gif\" onerror=\"" + mark.toUtf8() + "\"></body></html>")
                                                << notRun;
    QTest::newRow("security: script inside svg") << utf8Page(
        QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" onload=\"%1\"><script>%1</script>"
                       "<circle r=\"5\"/></svg>")
            .arg(mark)) << notRun;
    QTest::newRow("security: script in an inline frame")
        << utf8Page(QStringLiteral("<iframe srcdoc=\"<script>parent.%1</script>\"></iframe>").arg(mark)) << notRun;
}

void TestHtmlViewer::document()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, probe);
    QVERIFY(load(document));
    QCOMPARE(evaluate(probe), QVariant(true));
}

void TestHtmlViewer::submissionLines_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("pressed");
    QTest::addColumn<QStringList>("attributes");
    QTest::addColumn<QStringList>("lines");

    const QStringList quest = { QStringLiteral(":quest"), QString(), QString(), QStringLiteral("post") };
    const QString questForm = QStringLiteral("<form action=\":quest\" method=\"post\">%1"
                                             "<input type=\"submit\" id=\"go\" value=\"Check\"></form>");

    QTest::newRow("nominal: text fields, typed and preset, without URL encoding")
        << questForm.arg(
               QStringLiteral("<input name=\"a\" id=\"a\"><input type=\"text\" name=\"b\" value=\"x y&z=%20+\">"))
        << QStringLiteral("document.getElementById('a').value = 'typed text';") << QStringLiteral("go") << quest
        << QStringList { QStringLiteral("a=typed text"), QStringLiteral("b=x y&z=%20+") };
    QTest::newRow("nominal: check boxes")
        << questForm.arg(QStringLiteral("<input type=\"checkbox\" name=\"c\" value=\"1\" checked>"
                                        "<input type=\"checkbox\" name=\"c\" value=\"2\">"
                                        "<input type=\"checkbox\" name=\"d\" checked>"
                                        "<input type=\"checkbox\" name=\"e\" id=\"e\" value=\"later\">"))
        << QStringLiteral("document.getElementById('e').checked = true;") << QStringLiteral("go") << quest
        << QStringList { QStringLiteral("c=1"), QStringLiteral("d=on"), QStringLiteral("e=later") };
    QTest::newRow("nominal: radio buttons")
        << questForm.arg(QStringLiteral("<input type=\"radio\" name=\"r\" value=\"1\" checked>"
                                        "<input type=\"radio\" name=\"r\" value=\"2\" id=\"r2\">"
                                        "<input type=\"radio\" name=\"s\" value=\"3\">"))
        << QStringLiteral("document.getElementById('r2').checked = true;") << QStringLiteral("go") << quest
        << QStringList { QStringLiteral("r=2") };
    QTest::newRow("nominal: text area, line breaks as CR LF")
        << questForm.arg(QStringLiteral("<textarea name=\"t\" id=\"t\"></textarea>"))
        << QStringLiteral("document.getElementById('t').value = 'one\\ntwo';") << QStringLiteral("go") << quest
        << QStringList { QStringLiteral("t=one\r\ntwo") };
    QTest::newRow("nominal: drop-down lists")
        << questForm.arg(QStringLiteral("<select name=\"d1\"><option value=\"first\">A</option><option value=\"x\">B"
                                        "</option></select><select name=\"d2\"><option>A</option>"
                                        "<option selected>Text as value</option></select>"))
        << QString() << QStringLiteral("go") << quest
        << QStringList { QStringLiteral("d1=first"), QStringLiteral("d2=Text as value") };
    QTest::newRow("nominal: list box with several entries chosen")
        << questForm.arg(QStringLiteral("<select name=\"m\" multiple size=\"4\"><option value=\"1\" selected>1</option>"
                                        "<option value=\"2\">2</option><option value=\"3\" selected>3</option>"
                                        "</select><select name=\"none\" size=\"3\"><option>x</option></select>"))
        << QString() << QStringLiteral("go") << quest << QStringList { QStringLiteral("m=1"), QStringLiteral("m=3") };
    QTest::newRow("nominal: hidden field")
        << questForm.arg(QStringLiteral("<input type=\"hidden\" name=\"h\" value=\"secret\">")) << QString()
        << QStringLiteral("go") << quest << QStringList { QStringLiteral("h=secret") };
    QTest::newRow("nominal: all kinds in document order, then the pressed named button")
        << QStringLiteral("<form action=\":quest\" method=\"post\"><input type=\"hidden\" name=\"k1\" value=\"h\">"
                          "<input type=\"submit\" name=\"other\" value=\"not pressed\">"
                          "<select name=\"k2\"><option>s</option></select><textarea name=\"k3\">t</textarea>"
                          "<input type=\"checkbox\" name=\"k4\" checked><input name=\"k5\" value=\"e\">"
                          "<button type=\"submit\" name=\"pressed\" value=\"yes\" id=\"go\">Go</button></form>")
        << QString() << QStringLiteral("go") << quest
        << QStringList { QStringLiteral("k1=h"), QStringLiteral("k2=s"), QStringLiteral("k3=t"),
               QStringLiteral("k4=on"), QStringLiteral("k5=e"), QStringLiteral("pressed=yes") };
    QTest::newRow("nominal: named submit button")
        << QStringLiteral("<form action=\"?system\"><input type=\"submit\" name=\"btn\" value=\"   Все прочитано   \" "
                          "id=\"go\"></form>")
        << QString() << QStringLiteral("go")
        << QStringList { QStringLiteral("?system"), QString(), QString(), QString() }
        << QStringList { QStringLiteral("btn=   Все прочитано   ") };
    QTest::newRow("robustness: disabled controls give nothing")
        << questForm.arg(QStringLiteral("<input name=\"a\" value=\"1\" disabled>"
                                        "<input type=\"checkbox\" name=\"b\" checked disabled>"
                                        "<select name=\"c\" disabled><option>1</option></select>"
                                        "<select name=\"d\"><option disabled selected>no</option></select>"
                                        "<textarea name=\"e\" disabled>1</textarea>"
                                        "<fieldset disabled><input name=\"f\" value=\"1\"></fieldset>"
                                        "<input type=\"hidden\" name=\"g\" value=\"kept\">"))
        << QString() << QStringLiteral("go") << quest << QStringList { QStringLiteral("g=kept") };
    QTest::newRow("robustness: controls without a name give nothing")
        << questForm.arg(QStringLiteral("<input value=\"1\"><input type=\"checkbox\" checked><select><option>1"
                                        "</option></select>"))
        << QString() << QStringLiteral("go") << quest << QStringList {};
    QTest::newRow("nominal: only the submitted form's controls")
        << QStringLiteral("<form action=\"one\"><input name=\"a\" value=\"1\"></form>"
                          "<form action=\":return\" method=\"post\" target=\"_self\" enctype=\"text/plain\">"
                          "<input name=\"b\" value=\"2\"><input type=\"submit\" id=\"go\"></form>"
                          "<input name=\"c\" value=\"3\" form=\"nothing\">")
        << QString() << QStringLiteral("go")
        << QStringList { QStringLiteral(":return"), QStringLiteral("_self"), QStringLiteral("text/plain"),
               QStringLiteral("post") }
        << QStringList { QStringLiteral("b=2") };
    QTest::newRow("nominal: a form of the document's own, any action")
        << QStringLiteral("<form action=\"next.htm?x=1\" method=\"GET\"><input name=\"q\" value=\"Ответ\">"
                          "<input type=\"image\" id=\"go\" src=\"pictures/fig1.gif\" width=\"20\" height=\"20\">"
                          "</form>")
        << QString() << QStringLiteral("go")
        << QStringList { QStringLiteral("next.htm?x=1"), QString(), QString(), QStringLiteral("GET") }
        << QStringList { QStringLiteral("q=Ответ") };
}

void TestHtmlViewer::submissionLines()
{
    QFETCH(QString, body);
    QFETCH(QString, setup);
    QFETCH(QString, pressed);
    QFETCH(QStringList, attributes);
    QFETCH(QStringList, lines);

    // Windows-1251, as lab documents are: the lines come out as the student sees the texts.
    QVERIFY(load(kelvo::test::windowsText(QStringLiteral("<html><body>") + body + QStringLiteral("</body></html>"))));
    const QUrl shown = m_viewer->page()->url();
    if (!setup.isEmpty())
        evaluate(setup);
    QSignalSpy submitted(m_viewer, &THtmlViewer::formSubmitted);
    click(pressed);
    QVERIFY(submitted.wait(10000));
    QCOMPARE(submitted.size(), 1);
    const QList<QVariant> arguments = submitted.constFirst();
    QCOMPARE(QStringList({ arguments[0].toString(), arguments[1].toString(), arguments[2].toString(),
                 arguments[3].toString() }),
        attributes);
    QCOMPARE(arguments[4].toStringList(), lines);
    // The form itself went nowhere.
    QTest::qWait(100);
    QCOMPARE(m_viewer->page()->url(), shown);
}

void TestHtmlViewer::clickOnReadConfirmationReportsAfterTheClick()
{
    QVERIFY(load(kelvo::test::windowsText(
        QStringLiteral("<html><body><p>Текст</p>") + Texts::ReadConfirmationForm + QStringLiteral("</body></html>"))));
    QVERIFY(evaluate(QStringLiteral("document.querySelector('input').id = 'confirm'; true")).toBool());
    QSignalSpy submitted(m_viewer, &THtmlViewer::formSubmitted);
    click(QStringLiteral("confirm"));
    QCOMPARE(submitted.size(), 0);
    QVERIFY(submitted.wait(10000));
    QCOMPARE(submitted.constFirst().at(0).toString(), QStringLiteral("?system"));
    QCOMPARE(submitted.constFirst().at(3).toString(), QString());
    QCOMPARE(submitted.constFirst().at(4).toStringList(), QStringList());
}

void TestHtmlViewer::receiverMayLoadAnotherDocument()
{
    QVERIFY(load(utf8Page(QStringLiteral("<form action=\":quest\"><input name=\"a\" id=\"a\">"
                                         "<input type=\"submit\" id=\"go\"></form>"))));
    // Typed as a student types it.
    click(QStringLiteral("a"));
    QTest::keyClicks(renderWidget(), QStringLiteral("abc"));
    QTRY_COMPARE(evaluate(QStringLiteral("document.getElementById('a').value")).toString(), QStringLiteral("abc"));

    QStringList received;
    const QMetaObject::Connection connection = connect(m_viewer, &THtmlViewer::formSubmitted, this,
        [&](const QString &, const QString &, const QString &, const QString &, const QStringList &results) {
            received = results;
            m_viewer->LoadFromString(utf8Page(QStringLiteral("<p id=\"next\">next</p>")));
        });
    QSignalSpy finished(m_viewer, &THtmlViewer::loadFinished);
    // Enter on the button (Enter in the field submits nothing).
    QTest::keyClick(renderWidget(), Qt::Key_Tab);
    QTest::keyClick(renderWidget(), Qt::Key_Return);
    QVERIFY(finished.wait(10000));
    disconnect(connection);
    QCOMPARE(received, QStringList { QStringLiteral("a=abc") });
    QCOMPARE(
        evaluate(QStringLiteral("document.getElementById('next').textContent")).toString(), QStringLiteral("next"));
}

void TestHtmlViewer::secondClickWhileHandledIsDropped()
{
    QVERIFY(load(utf8Page(QStringLiteral("<form action=\":quest\"><input type=\"submit\" id=\"go\"></form>"))));
    int deliveries = 0;
    const QMetaObject::Connection connection = connect(m_viewer, &THtmlViewer::formSubmitted, this, [&] {
        ++deliveries;
        if (deliveries > 1)
            return;
        // As a modal results dialog does: an event loop inside the receiver, while the
        // student clicks again.
        click(QStringLiteral("go"));
        QTest::qWait(500);
    });
    click(QStringLiteral("go"));
    QTRY_COMPARE(deliveries, 1);
    QTest::qWait(300);
    QCOMPARE(deliveries, 1);
    // Once handled, the same document reports again.
    click(QStringLiteral("go"));
    QTRY_COMPARE(deliveries, 2);
    disconnect(connection);
}

void TestHtmlViewer::arrowAndPageKeysScroll()
{
    QString body;
    for (int i = 0; i < 300; ++i)
        body += QStringLiteral("<p>Paragraph %1</p>").arg(i);
    QVERIFY(load(utf8Page(body)));

    // Showing the page gives the viewer the keyboard focus.
    m_pages->setCurrentWidget(m_otherPage);
    m_otherPage->setFocus();
    m_pages->setCurrentWidget(m_htmlPage);
    QTRY_VERIFY(renderWidget()->hasFocus());

    QWebEnginePage *page = m_viewer->page();
    QCOMPARE(page->scrollPosition().y(), 0.0);
    QTest::keyClick(renderWidget(), Qt::Key_PageDown);
    QTRY_VERIFY(page->scrollPosition().y() > 300);
    const qreal afterPageDown = page->scrollPosition().y();
    QTest::keyClick(renderWidget(), Qt::Key_Down);
    QTRY_VERIFY(page->scrollPosition().y() > afterPageDown);
    const qreal afterDown = page->scrollPosition().y();
    QTest::keyClick(renderWidget(), Qt::Key_Up);
    QTRY_VERIFY(page->scrollPosition().y() < afterDown);
    QTest::keyClick(renderWidget(), Qt::Key_PageUp);
    QTRY_COMPARE(page->scrollPosition().y(), 0.0);

    // A new document is shown from its top.
    QTest::keyClick(renderWidget(), Qt::Key_PageDown);
    QTRY_VERIFY(page->scrollPosition().y() > 0);
    QVERIFY(load(utf8Page(body)));
    QTRY_COMPARE(page->scrollPosition().y(), 0.0);
}

void TestHtmlViewer::links()
{
    QVERIFY(load(
        utf8Page(QStringLiteral("<p><a id=\"web\" href=\"https://example.org/page\">web</a></p>"
                                "<p><a id=\"blank\" href=\"http://example.org/blank\" target=\"_blank\">new</a></p>"
                                "<p><a id=\"js\" href=\"javascript:document.documentElement"
                                ".setAttribute('data-ran', 'yes')\">script</a></p>"
                                "<p><a id=\"file\" href=\"file:///etc/hostname\">file</a></p>"
                                "<p><a id=\"lab\" href=\"SECOND.HTM\">lab</a></p>"))));
    const QUrl shown = m_viewer->page()->url();

    click(QStringLiteral("web"));
    QTRY_COMPARE(m_view.browser.opened, QList<QUrl> { QUrl(QStringLiteral("https://example.org/page")) });
    click(QStringLiteral("blank"));
    QTRY_COMPARE(m_view.browser.opened.size(), 2);
    QCOMPARE(m_view.browser.opened.at(1), QUrl(QStringLiteral("http://example.org/blank")));
    click(QStringLiteral("js"));
    click(QStringLiteral("file"));
    QTest::qWait(300);
    QCOMPARE(m_viewer->page()->url(), shown);
    QCOMPARE(evaluate(QStringLiteral("document.documentElement.hasAttribute('data-ran')")), QVariant(false));

    // A lab document opens in the viewer, and its forms are reported as well.
    QSignalSpy finished(m_viewer, &THtmlViewer::loadFinished);
    click(QStringLiteral("lab"));
    QVERIFY(finished.wait(10000));
    QCOMPARE(
        evaluate(QStringLiteral("document.getElementById('second').textContent")).toString(), QStringLiteral("second"));
    QSignalSpy submitted(m_viewer, &THtmlViewer::formSubmitted);
    click(QStringLiteral("go"));
    QVERIFY(submitted.wait(10000));
    QCOMPARE(submitted.constFirst().at(0).toString(), QStringLiteral("own"));
    QCOMPARE(submitted.constFirst().at(4).toStringList(), QStringList { QStringLiteral("n=v") });
}

void TestHtmlViewer::backToFormerDocumentsIsRefused()
{
    QWebEnginePage *page = m_viewer->page();
    QVERIFY(load(utf8Page(QStringLiteral("<p id=\"first\">first</p><a id=\"lab\" href=\"second.htm\">lab</a>"))));
    QSignalSpy finished(m_viewer, &THtmlViewer::loadFinished);
    click(QStringLiteral("lab"));
    QVERIFY(finished.wait(10000));
    // Back from a linked lab document to the document shown: allowed.
    page->triggerAction(QWebEnginePage::Back);
    QVERIFY(finished.wait(10000));
    QCOMPARE(evaluate(QStringLiteral("document.getElementById('first') !== null")), QVariant(true));

    // Back to a document that another has replaced: refused, the current one stays.
    QVERIFY(load(utf8Page(QStringLiteral("<p id=\"current\">current</p>"))));
    const QUrl current = page->url();
    QVERIFY(page->history()->canGoBack());
    page->triggerAction(QWebEnginePage::Back);
    QTest::qWait(300);
    QCOMPARE(page->url(), current);
    QCOMPARE(evaluate(QStringLiteral("document.getElementById('current') !== null")), QVariant(true));
}

void TestHtmlViewer::downloadsAreCancelled()
{
    QVERIFY(load(utf8Page(QStringLiteral("<a id=\"zip\" href=\"DATA.ZIP\">archive</a>"))));
    const QUrl shown = m_viewer->page()->url();
    QList<QWebEngineDownloadRequest::DownloadState> states;
    const QMetaObject::Connection connection
        = connect(m_viewer->page()->profile(), &QWebEngineProfile::downloadRequested, this,
            [&](QWebEngineDownloadRequest *download) { states.append(download->state()); });
    click(QStringLiteral("zip"));
    QTRY_COMPARE(states.size(), 1);
    disconnect(connection);
    QCOMPARE(states.constFirst(), QWebEngineDownloadRequest::DownloadCancelled);
    QCOMPARE(m_viewer->page()->url(), shown);
}

void TestHtmlViewer::noNetworkRequest()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString origin = QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort());
    QVERIFY(
        load(utf8Page(QStringLiteral("<link rel=\"stylesheet\" href=\"%1/s.css\"><img src=\"%1/p.gif\">"
                                     "<iframe src=\"%1/frame.htm\"></iframe><object data=\"%1/o.swf\"></object>"
                                     "<video src=\"%1/v.mp4\" autoplay></video><link rel=\"prefetch\" href=\"%1/x\">"
                                     "<form action=\"%1/form\" method=\"post\"><input name=\"a\" value=\"1\">"
                                     "<input type=\"submit\" id=\"go\"></form>")
                          .arg(origin))));
    QSignalSpy submitted(m_viewer, &THtmlViewer::formSubmitted);
    click(QStringLiteral("go"));
    QVERIFY(submitted.wait(10000));
    QCOMPARE(submitted.constFirst().at(0).toString(), origin + QStringLiteral("/form"));

    QVERIFY(load(QStringLiteral("<html><head><meta http-equiv=\"refresh\" content=\"0; url=%1/refresh\"></head>"
                                "<body>x</body></html>")
                     .arg(origin)
                     .toUtf8()));
    QVERIFY(!server.waitForNewConnection(1000));
    QVERIFY(!server.hasPendingConnections());
    QVERIFY(kelvo::labscheme::isLabUrl(m_viewer->page()->url()));
}

void TestHtmlViewer::pageLooksRight()
{
    // A document without colours of its own shows on the system's window colour, in a frame.
    QPalette palette = m_viewer->palette();
    const QColor window(255, 255, 230);
    palette.setColor(QPalette::Base, window);
    m_viewer->setPalette(palette);
    QVERIFY(load(utf8Page(QStringLiteral("<p>plain</p>"))));
    const QPoint inside = m_viewer->geometry().center() + QPoint(m_viewer->width() / 3, 0);
    QImage plain;
    QTRY_VERIFY_WITH_TIMEOUT((plain = m_htmlPage->grab().toImage(), plain.pixelColor(inside) == window), 10000);
    QCOMPARE(
        plain.pixelColor(m_viewer->geometry().left(), inside.y()), m_viewer->palette().color(QPalette::WindowText));

    m_htmlPage->setTitle(QStringLiteral("Лабораторная работа"));
    QVERIFY(load(kelvo::test::windowsText(
        QStringLiteral("<html><head><link rel=\"stylesheet\" href=\"Style.css\"></head><body>"
                       "<h1>Заголовок</h1><img src=\"pictures/FIG1.gif\" width=\"40\" height=\"40\">"
                       "<form action=\":quest\"><p><input type=\"text\" name=\"t\" value=\"текст\"></p>"
                       "<p><textarea name=\"a\">строки</textarea></p>"
                       "<p><input type=\"checkbox\" name=\"c\" checked> флажок "
                       "<input type=\"radio\" name=\"r\" checked> переключатель</p>"
                       "<p><select name=\"s\"><option>список</option></select> "
                       "<select name=\"m\" size=\"3\" multiple><option selected>один</option><option>два</option>"
                       "</select></p><input type=\"hidden\" name=\"h\" value=\"1\">"
                       "<input type=\"submit\" value=\"Проверить\"></form>")
        + Texts::ReadConfirmationForm + QStringLiteral("</body></html>"))));
    QVERIFY(evaluate(QStringLiteral("document.querySelectorAll('input, textarea, select').length === 9")).toBool());

    // Give the compositor a moment to put the page on screen.
    QImage shot;
    QTRY_VERIFY_WITH_TIMEOUT(
        (shot = m_htmlPage->grab().toImage(), shot.pixelColor(m_htmlPage->width() - 40, 200) == QColor(250, 240, 200)),
        10000);
    QCOMPARE(shot.pixelColor(m_htmlPage->width() - 5, 20), QColor(0, 128, 192));
    QCOMPARE(m_htmlPage->lbInfoTitle->pos(), QPoint(8, 8));
    QCOMPARE(m_htmlPage->lbInfoTitle->size(), m_htmlPage->lbInfoTitle->sizeHint());
    QCOMPARE(shot.pixelColor(m_htmlPage->width() - 5, m_htmlPage->height() - 20), QColor(128, 128, 128));
    if (const QString folder = qEnvironmentVariable("KELVO_SCREENSHOT_DIR"); !folder.isEmpty())
        shot.save(QDir(folder).absoluteFilePath(QStringLiteral("html-page.png")));
}

void TestHtmlViewer::warmUpWaitsForTheWindow()
{
    QWidget window;
    auto *viewer = new THtmlViewer(&window);
    viewer->resize(200, 100);
    QSignalSpy finished(viewer, &THtmlViewer::loadFinished);
    viewer->warmUp();
    QCoreApplication::processEvents();
    QVERIFY(!viewer->engineStarted());

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(viewer->engineStarted());
    QVERIFY(finished.wait(20000));
    QVERIFY(finished.constFirst().constFirst().toBool());
}

KELVO_WEBENGINE_TEST_MAIN(TestHtmlViewer)

#include "tst_htmlviewer_web.moc"
