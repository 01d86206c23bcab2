// The fields a form submits are known twice: the viewer's form bridge sends them when the student
// presses the button, and the checker lists them to check the answer lines. The same pages go to
// both, so that the two lists cannot drift apart.

#include "FormControls.h"
#include "HtmlScan.h"
#include "HtmlViewer.h"
#include "TestSupport.h"

#include "../ui/ViewerTestSupport.h"
#include "../ui/WebEngineTestMain.h"

#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include <memory>

using namespace kelvo;

class TestFormFields final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void sameFields_data();
    void sameFields();

private:
    std::unique_ptr<THtmlViewer> m_viewer;
};

void TestFormFields::initTestCase()
{
    m_viewer = std::make_unique<THtmlViewer>();
    m_viewer->resize(800, 600);
    m_viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_viewer.get()));
    QVERIFY(test::loadDocument(m_viewer.get(), "<html><body><p>start</p></body></html>"));
}

void TestFormFields::cleanupTestCase()
{
    m_viewer.reset();
}

void TestFormFields::sameFields_data()
{
    // The controls of a form whose button "go" the student presses; every control is in a state
    // in which it submits, so that both lists name every field.
    QTest::addColumn<QString>("controls");

    QTest::newRow("typed: text, password, no type, no value")
        << QStringLiteral("<input name=\"a\" value=\"1\"><input type=\"text\" name=\"b\" value=\"2\">"
                          "<input type=\"password\" name=\"p\" value=\"x\"><input name=\"empty\">"
                          "<input type=\"number\" name=\"n\" value=\"5\"><input type=\"TEXT\" name=\"upper\">");
    QTest::newRow("boxes: checked boxes and a radio group")
        << QStringLiteral("<input type=\"checkbox\" name=\"c\" checked><input type=\"checkbox\" name=\"c2\" "
                          "value=\"Да\" checked><input type=\"radio\" name=\"r\" value=\"1\">"
                          "<input type=\"radio\" name=\"r\" value=\"2\" checked>");
    QTest::newRow("lists: drop-down lists and a text area")
        << QStringLiteral("<select name=\"s\"><option value=\"a\">A</option><option selected>Б &amp; В</option>"
                          "</select><select name=\"m\" multiple><option value=\"1\" selected>1</option></select>"
                          "<textarea name=\"t\">текст</textarea>");
    QTest::newRow("hidden fields, and kinds that submit nothing")
        << QStringLiteral("<input type=\"hidden\" name=\"h\" value=\"k\"><input type=\"reset\" name=\"rs\">"
                          "<input type=\"file\" name=\"f\"><input type=\"image\" name=\"img\" src=\"x.png\">"
                          "<input value=\"no name\"><select><option>no name</option></select>");
    QTest::newRow("disabled controls and options submit nothing")
        << QStringLiteral("<input name=\"a\" value=\"1\" disabled><input type=\"checkbox\" name=\"b\" checked "
                          "disabled><select name=\"c\" disabled><option>1</option></select><select name=\"d\">"
                          "<option disabled>no</option><option selected>yes</option></select>"
                          "<textarea name=\"e\" disabled>1</textarea><input type=\"hidden\" name=\"g\" value=\"k\">");
    QTest::newRow("the pressed button has a name")
        << QStringLiteral("<input name=\"a\" value=\"1\">"
                          "<button type=\"submit\" name=\"pressed\" value=\"yes\" id=\"go\">Go</button>");
}

void TestFormFields::sameFields()
{
    QFETCH(QString, controls);
    const QString body = QStringLiteral("<form action=\":quest\">") + controls
        + (controls.contains(u"id=\"go\"") ? QString() : QStringLiteral("<input type=\"submit\" id=\"go\">"))
        + QStringLiteral("</form>");
    const QString html = QStringLiteral("<html><body>") + body + QStringLiteral("</body></html>");

    // The bridge: what the engine submits when the button is pressed.
    QVERIFY(test::loadDocument(m_viewer.get(), test::windowsText(html)));
    const QVariantList centre = test::evaluateScript(m_viewer.get(),
        QStringLiteral("(() => { const r = document.getElementById('go').getBoundingClientRect(); "
                       "return [r.left + r.width / 2, r.top + r.height / 2]; })()"))
                                    .toList();
    QCOMPARE(centre.size(), 2);
    QSignalSpy submitted(m_viewer.get(), &THtmlViewer::formSubmitted);
    QWidget *target = m_viewer->view()->focusProxy() ? m_viewer->view()->focusProxy() : m_viewer->view();
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(qRound(centre[0].toDouble()), qRound(centre[1].toDouble())));
    QVERIFY(submitted.wait(10000));
    const QStringList lines = submitted.constFirst().at(4).toStringList();

    // The checker: the controls it reads answer lines against.
    const QList<FormControl> listed = formControls(scanHtml(html));

    QSet<QString> sentNames;
    for (const QString &line : lines) {
        const QString name = line.left(line.indexOf(u'='));
        const QString value = line.mid(line.indexOf(u'=') + 1);
        sentNames.insert(name);
        bool known = false;
        for (const FormControl &control : listed)
            known = known || (control.name == name && (control.anyValue || control.values.contains(value)));
        QVERIFY2(known, qPrintable(QStringLiteral("the checker does not know the line ") + line));
    }
    QSet<QString> listedNames;
    for (const FormControl &control : listed)
        listedNames.insert(control.name);
    QCOMPARE(listedNames, sentNames);
}

KELVO_WEBENGINE_TEST_MAIN(TestFormFields)

#include "tst_formfields_web.moc"
