// The content sandbox of the HTML viewer, with the real engine: a lab document is content from a
// stranger. Its scripts never run, it reads nothing outside the lab folder, it sends nothing to
// the network, and its forms cannot take the viewer elsewhere.

#include "BrowserStandIn.h"
#include "HtmlViewer.h"
#include "LabScheme.h"
#include "LabSchemeHandler.h"
#include "TestSupport.h"
#include "ViewerTestSupport.h"
#include "WebEngineTestMain.h"

#include <QDesktopServices>
#include <QDir>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <memory>
#include <optional>

#include <sys/inotify.h>
#include <unistd.h>

using kelvo::test::writeFile;

namespace {

// A 1 x 1 GIF picture.
const QByteArray TinyGif = QByteArray::fromHex("47494638396101000100800000ff000000000021f90400000000002c00000000"
                                               "010001000002024401003b");

// Every test document ends with a sentinel: a field in the bottom right corner, which the test
// clicks after the row's own actions (see settle()).
QByteArray utf8Page(const QString &body, const QString &head = {})
{
    return QByteArrayLiteral("<html><head><meta charset=\"utf-8\">") + head.toUtf8()
        + QByteArrayLiteral("</head><body>") + body.toUtf8()
        + QByteArrayLiteral("<input id=\"sentinel\" style=\"position:fixed;right:0;bottom:0;width:40px;height:20px\">"
                            "</body></html>");
}

// Names of the entries of one folder that any process opened or read since the last look:
// the engine's processes as well as this one.
class OpenedFiles final
{
public:
    explicit OpenedFiles(const QString &folder)
        : m_descriptor(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_descriptor >= 0)
            ::inotify_add_watch(m_descriptor, QFile::encodeName(folder).constData(), IN_OPEN | IN_ACCESS);
    }
    ~OpenedFiles()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    Q_DISABLE_COPY_MOVE(OpenedFiles)

    bool isValid() const { return m_descriptor >= 0; }

    QStringList take()
    {
        QStringList names;
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t got = ::read(m_descriptor, buffer, sizeof buffer);
            if (got <= 0)
                break;
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                const QString name = event->len ? QFile::decodeName(event->name) : QString();
                if (!names.contains(name))
                    names.append(name);
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return names;
    }

private:
    int m_descriptor;
};

// The resident size of this process now.
qint64 residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLongLong() * 1024;
    }
    return 0;
}

// Runs a script in a page and waits for its result.
QVariant evaluateIn(QWebEnginePage *page, const QString &script)
{
    auto outcome = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(
        script, QWebEngineScript::ApplicationWorld, [outcome](const QVariant &value) { *outcome = value; });
    if (!QTest::qWaitFor([&] { return outcome->has_value(); }, 10000))
        qWarning("script gave no result: %s", qPrintable(script));
    return outcome->value_or(QVariant());
}

// Clicks the middle of a page's element through the widget that takes the page's input.
bool clickElement(QWebEnginePage *page, QWidget *input, const QString &elementId)
{
    const QVariantList centre = evaluateIn(page,
        QStringLiteral("(() => { const e = document.getElementById('%1');"
                       " if (!e) return []; const r = e.getBoundingClientRect();"
                       " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
            .arg(elementId))
                                    .toList();
    if (centre.size() != 2)
        return false;
    QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(qRound(centre[0].toDouble()), qRound(centre[1].toDouble())));
    return true;
}

// The positive control of the sandbox: the same engine with none of the viewer's protections, as
// a browser shows a page. Page scripts run, a local page reads local files, forms go where they
// say and a new window opens in place. A payload that does nothing here tests nothing.
class BareView final
{
public:
    BareView()
        : m_page(&m_profile)
    {
        m_view.setPage(&m_page);
        m_view.resize(800, 600);
        m_view.show();
    }
    Q_DISABLE_COPY_MOVE(BareView)

    bool load(const QByteArray &document, const QUrl &base)
    {
        QSignalSpy finished(&m_page, &QWebEnginePage::loadFinished);
        m_page.setContent(document, QStringLiteral("text/html;charset=utf-8"), base);
        return finished.wait(20000) && finished.constLast().constFirst().toBool();
    }
    QVariant evaluate(const QString &script) { return evaluateIn(&m_page, script); }
    bool click(const QString &elementId) { return clickElement(&m_page, inputWidget(), elementId); }
    QWidget *inputWidget() { return m_view.focusProxy(); }
    QUrl url() const { return m_page.url(); }

private:
    class Page final : public QWebEnginePage
    {
    public:
        using QWebEnginePage::QWebEnginePage;

    protected:
        QWebEnginePage *createWindow(WebWindowType) override { return this; }
    };

    QWebEngineProfile m_profile; // off the record
    Page m_page;
    QWebEngineView m_view;
};

} // namespace

class TestSandbox final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void scriptsDoNotRun_data();
    void scriptsDoNotRun();
    void nothingOutsideTheLabFolderIsRead_data();
    void nothingOutsideTheLabFolderIsRead();
    void nothingGoesToTheNetwork_data();
    void nothingGoesToTheNetwork();
    void formsCannotNavigateAway_data();
    void formsCannotNavigateAway();
    void filesOfOnePageAreBounded();

private:
    bool load(const QByteArray &document);
    QVariant evaluate(const QString &script);
    void click(const QString &elementId);
    QWidget *renderWidget() { return m_viewer->view()->focusProxy(); }
    void settle();

    // A document for the control: it names the control's own copy of the files and its own
    // server, so that what the control reaches never counts against the viewer.
    QByteArray forControl(const QByteArray &document) const;
    // Loads a row's document into the bare view, based in the control's lab folder (or at its
    // server), and presses `press` when it names an element.
    void loadControl(const QByteArray &document, const QString &press, const QUrl &base = {});

    QTemporaryDir m_dir;
    QString m_lab;
    std::unique_ptr<OpenedFiles> m_openedOutside;
    QTcpServer m_server;
    QString m_origin;
    int m_connections = 0;
    std::unique_ptr<THtmlViewer> m_viewer;
    kelvo::test::BrowserStandIn m_browser;

    QTemporaryDir m_controlDir;
    QString m_controlLab;
    QTcpServer m_controlServer;
    QString m_controlOrigin;
    int m_controlConnections = 0;
    QUrl m_controlShown; // the address of the document the control loaded
    std::unique_ptr<BareView> m_bare;
};

void TestSandbox::initTestCase()
{
    // The program's own pictures, as the program has them.
    Q_INIT_RESOURCE(glyphs);
    QVERIFY(m_dir.isValid());
    QVERIFY(m_controlDir.isValid());
    for (const QString &top : { m_dir.path(), m_controlDir.path() }) {
        const QDir root(top);
        QVERIFY(root.mkpath(QStringLiteral("lab")));
        const QDir lab(root.absoluteFilePath(QStringLiteral("lab")));
        writeFile(lab, QStringLiteral("inside.gif"), TinyGif);
        writeFile(lab, QStringLiteral("second.htm"), "<html><body><p id=\"second\">second</p></body></html>");
        writeFile(lab, QStringLiteral("script.svg"),
            "<svg xmlns=\"http://www.w3.org/2000/svg\" onload=\"parent.document.documentElement.dataset.ran=1\"/>");
        // What a document must never reach: files beside the lab folder, as the student's own are.
        writeFile(root, QStringLiteral("outside.gif"), TinyGif);
        writeFile(root, QStringLiteral("outside.css"), "body { background-color: rgb(9, 9, 9); }");
        writeFile(root, QStringLiteral("outside.htm"), "<html><body><p id=\"outside\">outside</p></body></html>");
        writeFile(root, QStringLiteral("secret.txt"), "the student's own file");
    }
    m_lab = QDir(m_dir.path()).absoluteFilePath(QStringLiteral("lab"));
    m_controlLab = QDir(m_controlDir.path()).absoluteFilePath(QStringLiteral("lab"));
    m_openedOutside = std::make_unique<OpenedFiles>(m_dir.path());
    QVERIFY(m_openedOutside->isValid());

    QVERIFY(m_server.listen(QHostAddress::LocalHost));
    m_origin = QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            ++m_connections;
            socket->deleteLater();
        }
    });

    QVERIFY(m_controlServer.listen(QHostAddress::LocalHost));
    m_controlOrigin = QStringLiteral("http://127.0.0.1:%1").arg(m_controlServer.serverPort());
    connect(&m_controlServer, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_controlServer.nextPendingConnection()) {
            ++m_controlConnections;
            socket->deleteLater();
        }
    });
    m_bare = std::make_unique<BareView>();

    QDesktopServices::setUrlHandler(QStringLiteral("http"), &m_browser, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_browser, "open");

    m_viewer = std::make_unique<THtmlViewer>();
    m_viewer->setLabFolder(m_lab);
    m_viewer->resize(800, 600);
    m_viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_viewer.get()));
    QVERIFY(load(utf8Page(QStringLiteral("<p>start</p>"))));
}

void TestSandbox::cleanupTestCase()
{
    m_bare.reset();
    m_viewer.reset();
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void TestSandbox::init()
{
    m_browser.opened.clear();
    m_openedOutside->take();
    m_connections = 0;
}

void TestSandbox::cleanup()
{
    // Whatever a case did, it reached neither the student's files nor the network.
    QStringList opened = m_openedOutside->take();
    opened.removeAll(QStringLiteral("lab"));
    QCOMPARE(opened, QStringList());
    QCOMPARE(m_connections, 0);
}

QByteArray TestSandbox::forControl(const QByteArray &document) const
{
    return QByteArray(document)
        .replace(QFile::encodeName(m_dir.path()), QFile::encodeName(m_controlDir.path()))
        .replace(m_origin.toUtf8(), m_controlOrigin.toUtf8());
}

void TestSandbox::loadControl(const QByteArray &document, const QString &press, const QUrl &base)
{
    m_controlConnections = 0;
    QVERIFY(m_bare->load(forControl(document), base.isEmpty() ? QUrl::fromLocalFile(m_controlLab + u'/') : base));
    m_controlShown = m_bare->url();
    if (!press.isEmpty())
        QVERIFY2(m_bare->click(press), qPrintable(press));
}

bool TestSandbox::load(const QByteArray &document)
{
    return kelvo::test::loadDocument(m_viewer.get(), document);
}

QVariant TestSandbox::evaluate(const QString &script)
{
    return kelvo::test::evaluateScript(m_viewer.get(), script);
}

void TestSandbox::click(const QString &elementId)
{
    const QVariantList centre = evaluate(QStringLiteral("(() => { const e = document.getElementById('%1');"
                                                        " if (!e) return []; const r = e.getBoundingClientRect();"
                                                        " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                                             .arg(elementId))
                                    .toList();
    QVERIFY2(centre.size() == 2, qPrintable(elementId));
    QTest::mouseClick(
        renderWidget(), Qt::LeftButton, {}, QPoint(qRound(centre[0].toDouble()), qRound(centre[1].toDouble())));
}

// Clicks the sentinel of the document shown and waits until it has the focus: the engine has
// then handled the input events that came before the sentinel's click, and the document's load
// events (the load has finished); what the row's payload would do has had its chance.
void TestSandbox::settle()
{
    click(QStringLiteral("sentinel"));
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     return evaluate(
                         QStringLiteral("document.activeElement !== null && document.activeElement.id === 'sentinel'"))
                         .toBool();
                 },
                 10000),
        "the sentinel takes the focus");
}

// Each row's document tries to mark the page; "press" names an element to click first. Every
// row is run twice: with page scripts on, as a positive control, its payload must mark the page,
// so that a payload that cannot run (a quote that ends its attribute too early) shows; then as
// the viewer shows it, where it must not.
void TestSandbox::scriptsDoNotRun_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("press");

    // No quotes, so that a payload fits into any attribute; void, so that a javascript: URL
    // leaves the document in place.
    const QString mark = QStringLiteral("void(document.documentElement.dataset.ran=1)");
    const QString parentMark = QStringLiteral("void(parent.document.documentElement.dataset.ran=1)");
    QTest::newRow("event attribute: click")
        << utf8Page(QStringLiteral("<button id=\"b\" onclick=\"%1\">press</button>").arg(mark)) << "b";
    QTest::newRow("event attribute: focus")
        << utf8Page(QStringLiteral("<input id=\"i\" autofocus onfocus=\"%1\">").arg(mark)) << "i";
    QTest::newRow("event attribute: toggle of an open details element") << utf8Page(
        QStringLiteral("<details open ontoggle=\"%1\"><summary id=\"s\">more</summary>x</details>").arg(mark))
                                                                        << "s";
    QTest::newRow("event attribute: pointer over") << utf8Page(
        QStringLiteral("<div id=\"d\" style=\"width:300px;height:100px\" onmouseover=\"%1\" "
                       "onmousemove=\"%1\" onmousedown=\"%1\">area</div>")
            .arg(mark)) << "d";
    // The form bridge takes every submission before the page's own handlers; a form's own
    // check of its fields comes first.
    QTest::newRow("event attribute: invalid field of a form submitted") << utf8Page(
        QStringLiteral("<form action=\":quest\"><input name=\"n\" required oninvalid=\"%1\">"
                       "<input type=\"submit\" id=\"go\"></form>")
            .arg(mark)) << "go";
    QTest::newRow("javascript: link") << utf8Page(
        QStringLiteral("<a id=\"a\" href=\"javascript:%1\">run</a>").arg(mark))
                                      << "a";
    QTest::newRow("javascript: link inside svg") << utf8Page(
        QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/"
                       "xlink\" width=\"200\" height=\"100\"><a id=\"a\" xlink:href=\"javascript:%1\">"
                       "<rect width=\"200\" height=\"100\"/></a></svg>")
            .arg(mark)) << "a";
    QTest::newRow("javascript: inline frame source")
        << utf8Page(QStringLiteral("<iframe src=\"javascript:%1\"></iframe>").arg(parentMark)) << QString();
    // (A refresh to a javascript: URL, and an animation that sets an event handler attribute,
    // the engine never runs, page scripts on or off: no rows for them.)
    QTest::newRow("svg: animation events") << utf8Page(
        QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\"><rect width=\"5\" height=\"5\">"
                       "<animate attributeName=\"x\" from=\"0\" to=\"1\" dur=\"0.1s\" onbegin=\"%1\" "
                       "onend=\"%1\"/></rect></svg>")
            .arg(mark)) << QString();
    QTest::newRow("svg: a picture of the lab folder with its own script, shown as a document") << utf8Page(
        QStringLiteral("<object data=\"script.svg\" type=\"image/svg+xml\"></object>"
                       "<embed src=\"script.svg\" type=\"image/svg+xml\">")) << QString();
    QTest::newRow("script: inside a same-origin frame's event")
        << utf8Page(QStringLiteral("<iframe srcdoc=\"<body onload=%1>\"></iframe>").arg(parentMark)) << QString();
    QTest::newRow("script: a module and a deferred script") << utf8Page(
        QStringLiteral("<script type=\"module\">%1</script><script defer src=\"data:text/javascript,%1\">"
                       "</script>")
            .arg(mark)) << QString();
}

void TestSandbox::scriptsDoNotRun()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, press);
    const QString ran = QStringLiteral("document.documentElement.hasAttribute('data-ran')");

    // The control: page scripts on, and the lab's documents allowed to reach each other (as
    // local content, each is otherwise an origin of its own, and a frame cannot mark its parent).
    QWebEngineSettings *settings = m_viewer->page()->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    const bool loaded = load(document);
    if (loaded && !press.isEmpty())
        click(press);
    const bool tripped = loaded && QTest::qWaitFor([&] { return evaluate(ran).toBool(); }, 10000);
    settings->resetAttribute(QWebEngineSettings::JavascriptEnabled);
    settings->resetAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls);
    QVERIFY2(tripped, "with page scripts on, the payload runs");

    QVERIFY(load(document));
    const QUrl shown = m_viewer->page()->url();
    if (!press.isEmpty())
        click(press);
    settle();
    QCOMPARE(evaluate(ran), QVariant(false));
    QCOMPARE(m_viewer->page()->url(), shown);
}

// Each row's probe holds when nothing from outside the lab folder arrived; the row's check in
// cleanup() sees that no process even opened a file there.
void TestSandbox::nothingOutsideTheLabFolderIsRead_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("press");
    QTest::addColumn<QString>("probe");

    const QDir root(m_dir.path());
    const auto fileUrl
        = [&](const QString &name) { return QUrl::fromLocalFile(root.absoluteFilePath(name)).toString(); };
    const QString outsideHtm = fileUrl(QStringLiteral("outside.htm"));
    const QString noFrameContent
        = QStringLiteral("[...document.querySelectorAll('iframe')].every(f => !f.contentDocument"
                         " || !f.contentDocument.getElementById('outside'))");

    QTest::newRow("inline frame: above the lab folder, and by file URL") << utf8Page(
        QStringLiteral("<iframe src=\"../outside.htm\"></iframe><iframe src=\"..\\outside.htm\"></iframe>"
                       "<iframe src=\"%1\"></iframe><iframe src=\"file:///etc/hostname\"></iframe>")
            .arg(outsideHtm)) << QString() << noFrameContent;
    QTest::newRow("object and embed") << utf8Page(
        QStringLiteral("<object id=\"o\" data=\"../outside.htm\" type=\"text/html\"></object>"
                       "<object data=\"%1\" type=\"text/html\"></object><embed src=\"%1\" "
                       "type=\"text/html\"><object data=\"%2\"></object>")
            .arg(outsideHtm, fileUrl(QStringLiteral("secret.txt"))))
                                      << QString()
                                      << QStringLiteral(
                                             "[...document.querySelectorAll('object')].every(o => !o.contentDocument"
                                             " || !o.contentDocument.getElementById('outside'))");
    QTest::newRow("style sheet link above the lab folder")
        << utf8Page(QStringLiteral("x"),
               QStringLiteral("<link rel=\"stylesheet\" href=\"../outside.css\">"
                              "<link rel=\"stylesheet\" href=\"..%5Coutside.css\">"))
        << QString() << QStringLiteral("getComputedStyle(document.body).backgroundColor !== 'rgb(9, 9, 9)'");
    QTest::newRow("CSS url() and @import")
        << utf8Page(QStringLiteral("<div id=\"d\" style=\"width:50px;height:50px;background-image:url('%1')\"></div>")
                        .arg(fileUrl(QStringLiteral("outside.gif"))),
               QStringLiteral("<style>@import url('../outside.css'); @import url('%1');"
                              " body { background-image: url('../outside.gif'); }"
                              " @font-face { font-family: f; src: url('../secret.txt'), url('%2'); }"
                              " p { font-family: f; }</style>")
                   .arg(fileUrl(QStringLiteral("outside.css")), fileUrl(QStringLiteral("secret.txt"))))
        << QString() << QStringLiteral("getComputedStyle(document.body).backgroundColor !== 'rgb(9, 9, 9)'");
    QTest::newRow("pictures: srcset, picture source, svg image, input image")
        << utf8Page(QStringLiteral("<img id=\"i\" srcset=\"../outside.gif 1x\"><picture><source srcset=\"%1\">"
                                   "<img id=\"j\" src=\"inside.gif\"></picture><svg><image href=\"../outside.gif\"/>"
                                   "<image href=\"%1\"/></svg><input type=\"image\" src=\"../outside.gif\">")
                        .arg(fileUrl(QStringLiteral("outside.gif"))))
        << QString() << QStringLiteral("document.getElementById('i').naturalWidth === 0");
    QTest::newRow("a base element that points at the file system")
        << utf8Page(QStringLiteral("<img id=\"i\" src=\"outside.gif\">"),
               QStringLiteral("<base href=\"%1/\">").arg(QUrl::fromLocalFile(m_dir.path()).toString()))
        << QString() << QStringLiteral("document.getElementById('i').naturalWidth === 0");
    QTest::newRow("refresh to a file URL") << utf8Page(QStringLiteral("<p id=\"here\">here</p>"),
        QStringLiteral("<meta http-equiv=\"refresh\" content=\"0; url=%1\">").arg(outsideHtm))
                                           << QString() << QStringLiteral("document.getElementById('here') !== null");
    QTest::newRow("the program's own resources")
        << utf8Page(QStringLiteral("<img id=\"i\" src=\"qrc:/glyphs/EXIT.svg\"><iframe src=\"qrc:/kelvo/viewer/"
                                   "FormBridge.js\"></iframe><img id=\"j\" src=\"chrome://theme/IDR_PRODUCT_LOGO\">"))
        << QString()
        << QStringLiteral("document.getElementById('i').naturalWidth === 0"
                          " && document.getElementById('j').naturalWidth === 0");
    QTest::newRow("a link to a file URL")
        << utf8Page(QStringLiteral("<p id=\"here\"><a id=\"a\" href=\"%1\">secret</a></p>")
                        .arg(fileUrl(QStringLiteral("secret.txt"))))
        << QStringLiteral("a") << QStringLiteral("document.getElementById('here') !== null");
    QTest::newRow("a form that posts to a file URL")
        << utf8Page(QStringLiteral("<p id=\"here\"></p><form action=\"%1\" method=\"post\"><input name=\"n\" "
                                   "value=\"v\"><input type=\"submit\" id=\"go\"></form>")
                        .arg(fileUrl(QStringLiteral("secret.txt"))))
        << QStringLiteral("go") << QStringLiteral("document.getElementById('here') !== null");
}

void TestSandbox::nothingOutsideTheLabFolderIsRead()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, press);
    QFETCH(QString, probe);

    loadControl(document, press);
    QVERIFY2(QTest::qWaitFor([&] { return !m_bare->evaluate(probe).toBool(); }, 10000),
        "without the viewer's protections, the document reaches the file");

    QVERIFY(load(document));
    const QUrl shown = m_viewer->page()->url();
    if (!press.isEmpty())
        click(press);
    settle();
    QCOMPARE(m_viewer->page()->url(), shown);
    QCOMPARE(evaluate(probe), QVariant(true));
}

// The test server counts every connection; cleanup() checks that there was none.
void TestSandbox::nothingGoesToTheNetwork_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("press");

    const QString o = m_origin;
    QTest::newRow("CSS: url(), @import, @font-face, cursor") << utf8Page(
        QStringLiteral("<p style=\"background:url('%1/b.gif');cursor:url('%1/c.cur'),auto\">x</p>").arg(o),
        QStringLiteral("<style>@import url('%1/i.css'); body { background-image: url('%1/bg.gif'); }"
                       " @font-face { font-family: f; src: url('%1/f.woff'); } p { font-family: f; }"
                       "</style>")
            .arg(o)) << QString();
    QTest::newRow("pictures: srcset, picture source, svg image, input image, icon") << utf8Page(
        QStringLiteral("<img srcset=\"%1/a.gif 1x, %1/b.gif 2x\"><picture><source srcset=\"%1/p.gif\">"
                       "<img src=\"inside.gif\"></picture><svg><image href=\"%1/s.gif\"/></svg>"
                       "<input type=\"image\" src=\"%1/i.gif\">")
            .arg(o),
        QStringLiteral("<link rel=\"icon\" href=\"%1/favicon.ico\">").arg(o)) << QString();
    QTest::newRow("media and embedded content") << utf8Page(
        QStringLiteral("<audio src=\"%1/a.mp3\" autoplay preload=\"auto\"></audio><video poster=\"%1/p.gif\""
                       " preload=\"auto\"><source src=\"%1/v.webm\"><track src=\"%1/t.vtt\" default>"
                       "</video><embed src=\"%1/e.swf\"><iframe srcdoc=\"<img src='%1/inner.gif'>\">"
                       "</iframe>")
            .arg(o)) << QString();
    QTest::newRow("hints to connect ahead") << utf8Page(QStringLiteral("x"),
        QStringLiteral("<link rel=\"preconnect\" href=\"%1\"><link rel=\"dns-prefetch\""
                       " href=\"%1\"><link rel=\"preload\" as=\"image\" href=\"%1/l.gif\">"
                       "<link rel=\"prerender\" href=\"%1/next.htm\"><link "
                       "rel=\"modulepreload\" href=\"%1/m.js\">")
            .arg(o)) << QString();
    QTest::newRow("a base element that points at the server") << utf8Page(
        QStringLiteral("<img src=\"relative.gif\"><a id=\"a\" href=\"second.htm\">lab?</a>"),
        QStringLiteral("<base href=\"%1/\">").arg(o)) << QStringLiteral("a");
    QTest::newRow("a link with a ping") << utf8Page(
        QStringLiteral("<a id=\"a\" href=\"second.htm\" ping=\"%1/ping\">next</a>").arg(o))
                                        << QStringLiteral("a");
}

void TestSandbox::nothingGoesToTheNetwork()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, press);

    loadControl(document, press, QUrl(m_controlOrigin + u'/'));
    QVERIFY2(QTest::qWaitFor([&] { return m_controlConnections > 0; }, 10000),
        "without the viewer's protections, the document connects to the server");

    QVERIFY(load(document));
    if (!press.isEmpty())
        click(press);
    settle();
}

// Each row's form, submitted by its button, must leave the document where it is. The bridge
// reports a form of the document itself; one it does not see (inside a frame) goes nowhere.
void TestSandbox::formsCannotNavigateAway_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<bool>("reported");
    // Whether the form, without the bridge, leaves the document: the engine itself never lets a
    // page take its top to a data URL, so that row only shows that the bridge took the form.
    QTest::addColumn<bool>("leavesWithoutTheBridge");

    const QString form = QStringLiteral("<p id=\"here\">here</p><form %1><input name=\"n\" value=\"v\">"
                                        "<button type=\"submit\" id=\"go\" %2>go</button></form>");
    QTest::newRow("to a lab document") << utf8Page(form.arg(QStringLiteral("action=\"second.htm\""), QString())) << true
                                       << true;
    QTest::newRow("to the web, in a new window")
        << utf8Page(form.arg(QStringLiteral("action=\"%1/form\" target=\"_blank\"").arg(m_origin), QString())) << true
        << true;
    QTest::newRow("to the top window, by the button's own action")
        << utf8Page(form.arg(QStringLiteral("action=\":quest\" target=\"_top\""),
               QStringLiteral("formaction=\"%1/button\" formtarget=\"_top\"").arg(m_origin)))
        << true << true;
    QTest::newRow("to a javascript: URL")
        << utf8Page(form.arg(QStringLiteral("action=\"javascript:document.body.innerHTML=1\""), QString())) << true
        << true;
    QTest::newRow("to a data URL") << utf8Page(form.arg(QStringLiteral("action=\"data:text/html,gone\""), QString()))
                                   << true << false;
    QTest::newRow("into a named frame") << utf8Page(QStringLiteral("<iframe name=\"f\"></iframe>")
        + form.arg(QStringLiteral("action=\"second.htm\" target=\"f\""), QString()))
                                        << true << true;
    QTest::newRow("from inside a frame, to the top window") << utf8Page(
        QStringLiteral("<p id=\"here\">here</p><iframe srcdoc=\"<form action='second.htm' target='_top'>"
                       "<input type='submit' id='go' style='width:100px;height:40px'></form>\" "
                       "style=\"position:absolute;left:0;top:0;width:300px;height:100px;border:0\">"
                       "</iframe>")) << false << true;
}

void TestSandbox::formsCannotNavigateAway()
{
    QFETCH(QByteArray, document);
    QFETCH(bool, reported);
    QFETCH(bool, leavesWithoutTheBridge);
    const QString stayed = QStringLiteral("document.getElementById('here') !== null"
                                          " && [...document.querySelectorAll('iframe')].every(f => !f.contentDocument"
                                          " || !f.contentDocument.getElementById('second'))");

    if (reported) {
        loadControl(document, QStringLiteral("go"));
    } else {
        loadControl(document, QString());
        QTest::mouseClick(m_bare->inputWidget(), Qt::LeftButton, {}, QPoint(20, 20));
    }
    if (leavesWithoutTheBridge) {
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         return m_controlConnections > 0 || m_bare->url() != m_controlShown
                             || !m_bare->evaluate(stayed).toBool();
                     },
                     10000),
            "without the form bridge, the form takes the page elsewhere");
    }

    QVERIFY(load(document));
    const QUrl shown = m_viewer->page()->url();
    QSignalSpy submitted(m_viewer.get(), &THtmlViewer::formSubmitted);
    if (reported) {
        click(QStringLiteral("go"));
    } else {
        // The frame's button sits at the top left of the page.
        QTest::mouseClick(renderWidget(), Qt::LeftButton, {}, QPoint(20, 20));
    }
    settle();
    QTRY_COMPARE(submitted.size(), reported ? 1 : 0);
    QCOMPARE(m_viewer->page()->url(), shown);
    QCOMPARE(evaluate(stayed), QVariant(true));
    QCOMPARE(m_browser.opened, QList<QUrl>());
}

// A document that names one large picture of the lab folder again and again, under other
// queries: the viewer hands out a bounded amount per page, and reads files as the engine takes
// them rather than each into memory at once.
void TestSandbox::filesOfOnePageAreBounded()
{
    constexpr qint64 pictureBytes = qint64(40) << 20;
    writeFile(QDir(m_lab), QStringLiteral("large.gif"), TinyGif + QByteArray(pictureBytes - TinyGif.size(), '\0'));
    QString body;
    for (int i = 0; i < 20; ++i)
        body += QStringLiteral("<img src=\"large.gif?%1\">").arg(i);
    const qint64 residentBefore = residentBytes();
    QVERIFY(load(utf8Page(body)));
    const QString loaded = QStringLiteral("[...document.images].filter(i => i.naturalWidth > 0).length");
    QTRY_COMPARE(evaluate(loaded).toInt(), int(TLabSchemeHandler::MaxPageBytes / pictureBytes));
    settle();
    QCOMPARE(evaluate(loaded).toInt(), int(TLabSchemeHandler::MaxPageBytes / pictureBytes));
    QVERIFY2(residentBytes() - residentBefore < TLabSchemeHandler::MaxPageBytes,
        qPrintable(QStringLiteral("%1 MB more").arg((residentBytes() - residentBefore) >> 20)));

    // The next page counts anew.
    QVERIFY(load(utf8Page(QStringLiteral("<img id=\"i\" src=\"large.gif\">"))));
    QTRY_COMPARE(evaluate(QStringLiteral("document.getElementById('i').naturalWidth")).toInt(), 1);
    QFile::remove(QDir(m_lab).filePath(QStringLiteral("large.gif")));
}

KELVO_WEBENGINE_TEST_MAIN(TestSandbox)

#include "tst_sandbox_web.moc"
