// The form bridge in the real engine, against what a question file can hold: controls whose names
// hide the form's own properties, and keys that would submit a form the student has not finished.

#include "HtmlViewer.h"
#include "Localization.h"
#include "TestSupport.h"
#include "TextFormat.h"
#include "ViewerTestSupport.h"
#include "WebEngineTestMain.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include <memory>

namespace {

QByteArray utf8Page(const QString &body)
{
    return QByteArrayLiteral("<html><head><meta charset=\"utf-8\"></head><body>") + body.toUtf8()
        + QByteArrayLiteral("</body></html>");
}

// Names that a form or the document answers with a control of that name instead of its own.
const QStringList ShadowingNames = { QStringLiteral("elements"), QStringLiteral("getAttribute"),
    QStringLiteral("action"), QStringLiteral("target"), QStringLiteral("method"), QStringLiteral("enctype"),
    QStringLiteral("encoding"), QStringLiteral("submit"), QStringLiteral("requestSubmit"), QStringLiteral("reset"),
    QStringLiteral("length"), QStringLiteral("item"), QStringLiteral("namedItem"), QStringLiteral("matches"),
    QStringLiteral("localName"), QStringLiteral("tagName"), QStringLiteral("nodeName"), QStringLiteral("name"),
    QStringLiteral("value"), QStringLiteral("type"), QStringLiteral("checked"), QStringLiteral("selected"),
    QStringLiteral("options"), QStringLiteral("disabled"), QStringLiteral("id"), QStringLiteral("children"),
    QStringLiteral("querySelector"), QStringLiteral("hasAttribute"), QStringLiteral("addEventListener"),
    QStringLiteral("dispatchEvent"), QStringLiteral("ownerDocument"), QStringLiteral("constructor"),
    QStringLiteral("toString"), QStringLiteral("valueOf"), QStringLiteral("submitter"), QStringLiteral("forms") };

} // namespace

class TestFormBridge final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void shadowingNames_data();
    void shadowingNames();
    void quizPageWithAShadowingQuestion();
    void unreadableFormIsReportedAndReleased();
    void keysThatDoNotSubmit_data();
    void keysThatDoNotSubmit();
    void keysThatSubmit_data();
    void keysThatSubmit();

private:
    bool load(const QByteArray &document) { return kelvo::test::loadDocument(m_viewer.get(), document); }
    QVariant evaluate(const QString &script) { return kelvo::test::evaluateScript(m_viewer.get(), script); }
    QWidget *renderWidget() { return m_viewer->view()->focusProxy(); }
    QPoint centreOf(const QString &elementId);
    void click(const QString &elementId);

    std::unique_ptr<THtmlViewer> m_viewer;
};

void TestFormBridge::initTestCase()
{
    m_viewer = std::make_unique<THtmlViewer>();
    m_viewer->resize(800, 600);
    m_viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_viewer.get()));
    QVERIFY(load(utf8Page(QStringLiteral("<p>start</p>"))));
}

void TestFormBridge::cleanupTestCase()
{
    m_viewer.reset();
}

QPoint TestFormBridge::centreOf(const QString &elementId)
{
    return kelvo::test::elementCentre(m_viewer.get(), elementId);
}

void TestFormBridge::click(const QString &elementId)
{
    const QPoint at = centreOf(elementId);
    QVERIFY2(!at.isNull(), qPrintable(elementId));
    QTest::mouseClick(renderWidget(), Qt::LeftButton, {}, at);
}

void TestFormBridge::shadowingNames_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QStringList>("lines");

    // Every kind of control around the shadowing one, and a named button, so that each getter of
    // the bridge is read on a form whose property of that name is a control.
    const QString fields = QStringLiteral(
        "<input name=\"a\" value=\"1\">%1<input type=\"checkbox\" name=\"c\" value=\"2\" checked>"
        "<input type=\"radio\" name=\"r\" value=\"3\" checked><select name=\"s\"><option value=\"o\" selected>o"
        "</option></select><textarea name=\"t\">x</textarea>"
        "<input type=\"submit\" id=\"go\" name=\"pressed\" value=\"p\"></form>");
    const QStringList around = { QStringLiteral("a=1"), QStringLiteral("c=2"), QStringLiteral("r=3"),
        QStringLiteral("s=o"), QStringLiteral("t=x"), QStringLiteral("pressed=p") };
    const QString form = QStringLiteral("<form action=\":quest\" method=\"post\">");
    for (const QString &name : ShadowingNames) {
        QStringList named = around;
        named.insert(1, name + QStringLiteral("=v"));
        QTest::addRow("robustness: a field named %s", qPrintable(name))
            << form + fields.arg(QStringLiteral("<input name=\"%1\" value=\"v\">").arg(name)) << named;
        QStringList checked = around;
        checked.insert(1, name + QStringLiteral("=on"));
        QTest::addRow("robustness: a check box named %s", qPrintable(name))
            << form + fields.arg(QStringLiteral("<input type=\"checkbox\" name=\"%1\" checked>").arg(name)) << checked;
        QStringList listed = around;
        listed.insert(1, name + QStringLiteral("=l"));
        QTest::addRow("robustness: a list named %s", qPrintable(name))
            << form + fields.arg(QStringLiteral("<select name=\"%1\"><option>l</option></select>").arg(name)) << listed;
        QStringList withId = around;
        withId.insert(1, QStringLiteral("i=w"));
        QTest::addRow("robustness: a control with the id %s", qPrintable(name))
            << form + fields.arg(QStringLiteral("<input id=\"%1\" name=\"i\" value=\"w\">").arg(name)) << withId;
        QTest::addRow("robustness: the form itself named %s", qPrintable(name))
            << QStringLiteral("<img name=\"%1\" src=\"x.gif\"><form action=\":quest\" method=\"post\" name=\"%1\">")
                    .arg(name)
                + fields.arg(QString())
            << around;
    }
}

void TestFormBridge::shadowingNames()
{
    QFETCH(QString, form);
    QFETCH(QStringList, lines);

    QVERIFY(load(utf8Page(form)));
    QSignalSpy submitted(m_viewer.get(), &THtmlViewer::formSubmitted);
    QSignalSpy unreadable(m_viewer.get(), &THtmlViewer::formUnreadable);
    click(QStringLiteral("go"));
    QVERIFY2(
        submitted.wait(10000), qPrintable(unreadable.isEmpty() ? QString() : unreadable.constFirst().at(1).toString()));
    QCOMPARE(submitted.size(), 1);
    const QList<QVariant> arguments = submitted.constFirst();
    QCOMPARE(QStringList({ arguments[0].toString(), arguments[1].toString(), arguments[2].toString(),
                 arguments[3].toString() }),
        QStringList({ QStringLiteral(":quest"), QString(), QString(), QStringLiteral("post") }));
    QCOMPARE(arguments[4].toStringList(), lines);
    QCOMPARE(unreadable.size(), 0);
}

void TestFormBridge::quizPageWithAShadowingQuestion()
{
    // A quiz page as the quiz generation writes it, with a question that names its fields after
    // the form's properties: both buttons keep working.
    QVERIFY(load(kelvo::test::windowsText(kelvo::format(Texts::QuizPageHead, { QStringLiteral("Тест"), qint64(1) })
        + QStringLiteral("Вопрос <input name=\"elements\" value=\"1\"><input name=\"getAttribute\" value=\"2\">"
                         "<input type=\"checkbox\" name=\"submit\" value=\"3\" checked>")
        + Texts::QuestionRule + Texts::QuizPageFooter)));
    QSignalSpy submitted(m_viewer.get(), &THtmlViewer::formSubmitted);
    click(QStringLiteral("return_button"));
    QVERIFY(submitted.wait(10000));
    QCOMPARE(submitted.constLast().at(0).toString(), QStringLiteral(":return"));
    click(QStringLiteral("submit_button"));
    QVERIFY(submitted.wait(10000));
    QCOMPARE(submitted.constLast().at(0).toString(), QStringLiteral(":quest"));
    QCOMPARE(submitted.constLast().at(4).toStringList(),
        QStringList({ QStringLiteral("elements=1"), QStringLiteral("getAttribute=2"), QStringLiteral("submit=3") }));
}

void TestFormBridge::unreadableFormIsReportedAndReleased()
{
    QVERIFY(load(utf8Page(QStringLiteral("<form action=\":quest\"><input name=\"a\" value=\"1\">"
                                         "<input type=\"submit\" id=\"go\"></form>"))));
    QSignalSpy submitted(m_viewer.get(), &THtmlViewer::formSubmitted);
    QSignalSpy unreadable(m_viewer.get(), &THtmlViewer::formUnreadable);
    // A fault while the form is read, in the bridge's own world (as a fault of the engine would be).
    QVERIFY(evaluate(QStringLiteral("window.kelvoIndexOf = Array.prototype.indexOf; Array.prototype.indexOf = "
                                    "function () { throw new Error('cannot read this form'); }; true"))
                .toBool());
    click(QStringLiteral("go"));
    QVERIFY(unreadable.wait(10000));
    QCOMPARE(unreadable.constFirst().at(0).toString(), QStringLiteral(":quest"));
    QVERIFY(unreadable.constFirst().at(1).toString().contains(QStringLiteral("cannot read this form")));
    QCOMPARE(submitted.size(), 0);

    // The bridge is not left busy: once the fault is gone, the same form submits.
    QVERIFY(evaluate(QStringLiteral("Array.prototype.indexOf = window.kelvoIndexOf; true")).toBool());
    click(QStringLiteral("go"));
    QVERIFY(submitted.wait(10000));
    QCOMPARE(submitted.constFirst().at(4).toStringList(), QStringList { QStringLiteral("a=1") });
}

void TestFormBridge::keysThatDoNotSubmit_data()
{
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("key");

    QTest::newRow("input: Enter in a text field") << QStringLiteral("text") << int(Qt::Key_Return);
    QTest::newRow("input: Enter of the keypad in a text field") << QStringLiteral("text") << int(Qt::Key_Enter);
    QTest::newRow("input: Enter in a field without a type") << QStringLiteral("plain") << int(Qt::Key_Return);
    QTest::newRow("input: Enter in a number field") << QStringLiteral("number") << int(Qt::Key_Return);
    QTest::newRow("input: Enter on a check box") << QStringLiteral("box") << int(Qt::Key_Return);
    QTest::newRow("input: Enter on a radio button") << QStringLiteral("radio") << int(Qt::Key_Return);
    QTest::newRow("input: Enter in a list box") << QStringLiteral("list") << int(Qt::Key_Return);
}

void TestFormBridge::keysThatDoNotSubmit()
{
    QFETCH(QString, focused);
    QFETCH(int, key);

    QVERIFY(load(utf8Page(QStringLiteral(
        "<form action=\":quest\"><input type=\"text\" name=\"t\" id=\"text\"><input name=\"p\" id=\"plain\">"
        "<input type=\"number\" name=\"n\" id=\"number\"><input type=\"checkbox\" name=\"b\" id=\"box\">"
        "<input type=\"radio\" name=\"r\" value=\"1\" id=\"radio\">"
        "<select name=\"l\" size=\"2\" id=\"list\"><option>1</option><option>2</option></select>"
        "<input type=\"submit\" id=\"go\" value=\"Check\"></form>"))));
    QSignalSpy submitted(m_viewer.get(), &THtmlViewer::formSubmitted);
    QVERIFY(evaluate(QStringLiteral("document.getElementById('%1').focus(); document.activeElement.id").arg(focused))
                .toString()
        == focused);
    renderWidget()->setFocus();
    QTest::keyClick(renderWidget(), Qt::Key(key));
    QTest::qWait(500);
    QCOMPARE(submitted.size(), 0);

    // The form still submits when its button is pressed.
    click(QStringLiteral("go"));
    QVERIFY(submitted.wait(10000));
    QCOMPARE(submitted.size(), 1);
}

void TestFormBridge::keysThatSubmit_data()
{
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("nominal: Enter on the focused submit button") << QStringLiteral(
        "go") << int(Qt::Key_Return) << QStringList { QStringLiteral("t=typed"), QStringLiteral("a=") };
    QTest::newRow("nominal: Space on the focused submit button") << QStringLiteral(
        "go") << int(Qt::Key_Space) << QStringList { QStringLiteral("t=typed"), QStringLiteral("a=") };
    QTest::newRow("nominal: Enter on a focused named button")
        << QStringLiteral("named") << int(Qt::Key_Return)
        << QStringList { QStringLiteral("t=typed"), QStringLiteral("a="), QStringLiteral("b=pressed") };
}

void TestFormBridge::keysThatSubmit()
{
    QFETCH(QString, focused);
    QFETCH(int, key);
    QFETCH(QStringList, lines);

    QVERIFY(load(utf8Page(QStringLiteral("<form action=\":quest\"><input name=\"t\" id=\"text\">"
                                         "<textarea name=\"a\" id=\"area\"></textarea>"
                                         "<input type=\"submit\" id=\"go\" value=\"Check\">"
                                         "<button name=\"b\" value=\"pressed\" id=\"named\">Named</button></form>"))));
    // Typed as a student types: Enter in the text area breaks its line, and submits nothing.
    click(QStringLiteral("text"));
    QTest::keyClicks(renderWidget(), QStringLiteral("typed"));
    click(QStringLiteral("area"));
    QSignalSpy submitted(m_viewer.get(), &THtmlViewer::formSubmitted);
    QTest::keyClick(renderWidget(), Qt::Key_Return);
    QTRY_COMPARE(evaluate(QStringLiteral("document.getElementById('area').value")).toString(), QStringLiteral("\n"));
    QCOMPARE(submitted.size(), 0);
    QVERIFY(evaluate(QStringLiteral("document.getElementById('area').value = ''; true")).toBool());

    QVERIFY(evaluate(QStringLiteral("document.getElementById('%1').focus(); document.activeElement.id").arg(focused))
                .toString()
        == focused);
    QTest::keyClick(renderWidget(), Qt::Key(key));
    QVERIFY(submitted.wait(10000));
    QCOMPARE(submitted.size(), 1);
    QCOMPARE(submitted.constFirst().at(4).toStringList(), lines);
}

KELVO_WEBENGINE_TEST_MAIN(TestFormBridge)

#include "tst_formbridge_web.moc"
