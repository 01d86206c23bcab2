#include "DocumentAccessibility.h"

#include <QTest>

#include <optional>

using Action = kelvo::EngineAccessibilityAction;
using Setting = std::optional<QByteArray>;
Q_DECLARE_METATYPE(Setting)
Q_DECLARE_METATYPE(Action)

// Whether the web engine is let build a document's accessibility tree for a screen reader: the
// variable the engine reads as it starts, for the engine's versions on either side of its change
// of default, and what a user who set it keeps.
class TestDocumentAccessibility final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void action_data();
    void action();
    void appliedToTheEnvironment();
};

void TestDocumentAccessibility::action_data()
{
    QTest::addColumn<Setting>("current");
    QTest::addColumn<QVersionNumber>("engine");
    QTest::addColumn<Action>("expected");

    const QVersionNumber old(6, 4);
    const QVersionNumber recent(6, 6);
    QTest::newRow("nominal: unset, an engine that is off by default") << Setting() << old << Action::SetOn;
    QTest::newRow("nominal: unset, an engine that is on by default") << Setting() << recent << Action::Keep;
    QTest::newRow("nominal: the user's 1 stays") << Setting("1") << old << Action::Keep;
    QTest::newRow("nominal: the user's 0 turns it off on an old engine") << Setting("0") << old << Action::Remove;
    QTest::newRow("nominal: the user's 0 stays on a recent engine") << Setting("0") << recent << Action::Keep;
    QTest::newRow("robustness: an empty value is set, so on, and stays") << Setting("") << old << Action::Keep;
    QTest::newRow("robustness: 0 with blanks is still 0") << Setting(" 0 ") << old << Action::Remove;
    QTest::newRow("edge: the last version before the change") << Setting() << QVersionNumber(6, 5, 3) << Action::SetOn;
}

void TestDocumentAccessibility::action()
{
    QFETCH(Setting, current);
    QFETCH(QVersionNumber, engine);
    QFETCH(Action, expected);
    QCOMPARE(kelvo::engineAccessibilityAction(current, engine), expected);
}

void TestDocumentAccessibility::appliedToTheEnvironment()
{
    // This build's engine: the variable ends up allowing the engine to follow a screen reader.
    qunsetenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY");
    kelvo::allowDocumentAccessibility();
    const bool onByDefault = QVersionNumber(QT_VERSION_MAJOR, QT_VERSION_MINOR) >= QVersionNumber(6, 6);
    QCOMPARE(qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"), !onByDefault);

    qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "0");
    kelvo::allowDocumentAccessibility();
    QCOMPARE(qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"), onByDefault);
    qunsetenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY");
}

QTEST_GUILESS_MAIN(TestDocumentAccessibility)
#include "tst_documentaccessibility.moc"
