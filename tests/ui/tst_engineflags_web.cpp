// The web engine starts with Kelvo's flags (V8's collector opened to the viewer), as its own log of the switches it
// starts with shows, and the environment is given back once it has started.
#include "EngineFlags.h"
#include "HtmlViewer.h"
#include "ViewerTestSupport.h"
#include "WebEngineTestMain.h"

#include <QLoggingCategory>
#include <QStringList>
#include <QTest>

namespace {

// The user's own flags, set before main() prepares the engine: a switch the engine does not know,
// which it keeps and lists all the same.
const QByteArray UserFlags = QByteArrayLiteral("--kelvo-user-switch=1");
const bool UserFlagsSet = qputenv(kelvo::engineflags::Variable, UserFlags);

QStringList engineLog;
QtMessageHandler previousHandler = nullptr;

void keepEngineLog(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && qstrcmp(context.category, "qt.webenginecontext") == 0) {
        engineLog.append(message);
        return;
    }
    previousHandler(type, context, message);
}

} // namespace

class TestEngineFlagsWeb final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void engineStartsWithTheFlagsAndTheEnvironmentIsGivenBack()
    {
        // The engine lists the switches it starts with in its debug log, once, as it starts.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.debug=true"));
        previousHandler = qInstallMessageHandler(keepEngineLog);

        // Until the engine starts, its flags are in the environment beside the user's.
        QVERIFY(UserFlagsSet);
        QCOMPARE(qgetenv(kelvo::engineflags::Variable), QByteArray(UserFlags + " --js-flags=--expose-gc"));

        THtmlViewer viewer;
        QVERIFY(kelvo::test::loadDocument(&viewer, QByteArrayLiteral("<html><body>text</body></html>")));
        qInstallMessageHandler(previousHandler);

        const QString log = engineLog.join(QLatin1Char('\n'));
        // The log that lists the switches, with the user's own among them.
        QVERIFY2(log.contains(QLatin1String("Init Parameters")), qPrintable(log));
        QVERIFY2(log.contains(QLatin1String(" kelvo-user-switch 1")), qPrintable(log));
        QVERIFY2(log.contains(QLatin1String(" js-flags --expose-gc")), qPrintable(log));

        // The programs Kelvo starts from now on see the environment as the user left it.
        QCOMPARE(qgetenv(kelvo::engineflags::Variable), UserFlags);
    }
};

KELVO_WEBENGINE_TEST_MAIN(TestEngineFlagsWeb)

#include "tst_engineflags_web.moc"
