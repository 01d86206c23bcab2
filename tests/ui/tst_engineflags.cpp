// The web engine's flags: V8's collector opened to the viewer, added to the user's own flags, the user's V8 options
// left as they are, and the environment given back for the programs Kelvo starts.
#include "EngineFlags.h"

#include <QTest>

namespace flags = kelvo::engineflags;

namespace {

const QByteArray Collector = QByteArrayLiteral("--js-flags=--expose-gc");

} // namespace

class TestEngineFlags final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addsItsOwnBesideTheUsers_data()
    {
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("nominal: none") << QByteArray() << Collector;
        QTest::newRow("nominal: other switches kept")
            << QByteArrayLiteral("--disable-gpu --lang=ru") << QByteArray("--disable-gpu --lang=ru " + Collector);
        QTest::newRow("nominal: the user's V8 options stand") << QByteArrayLiteral(
            "--js-flags=--max-old-space-size=64") << QByteArrayLiteral("--js-flags=--max-old-space-size=64");
        QTest::newRow("nominal: the user's V8 options among others")
            << QByteArrayLiteral("--disable-gpu  --js-flags=--stack-size=900 --lang=ru")
            << QByteArrayLiteral("--disable-gpu  --js-flags=--stack-size=900 --lang=ru");
        QTest::newRow("robustness: V8 switch without a value")
            << QByteArrayLiteral("--js-flags") << QByteArrayLiteral("--js-flags");
        QTest::newRow("robustness: only blanks") << QByteArrayLiteral(" \t ") << Collector;
        QTest::newRow("robustness: blanks around")
            << QByteArrayLiteral("  --disable-gpu ") << QByteArray("--disable-gpu " + Collector);
        QTest::newRow("robustness: a switch that only begins like V8's")
            << QByteArrayLiteral("--js-flags-file=x") << QByteArray("--js-flags-file=x " + Collector);
        QTest::newRow("robustness: V8's switch inside another value")
            << QByteArrayLiteral("--user-agent=--js-flags=x") << QByteArray("--user-agent=--js-flags=x " + Collector);
    }

    void addsItsOwnBesideTheUsers()
    {
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, expected);
        QCOMPARE(flags::withOwnFlags(user), expected);
    }

    void givesTheEnvironmentBack_data()
    {
        QTest::addColumn<bool>("set");
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArray>("duringStart");
        QTest::newRow("unset") << false << QByteArray() << Collector;
        QTest::newRow("set empty") << true << QByteArray() << Collector;
        QTest::newRow("other switches") << true << QByteArrayLiteral("--lang=ru")
                                        << QByteArray("--lang=ru " + Collector);
        QTest::newRow("the user's V8 options") << true << QByteArrayLiteral("--js-flags=--max-old-space-size=64")
                                               << QByteArrayLiteral("--js-flags=--max-old-space-size=64");
    }

    void givesTheEnvironmentBack()
    {
        QFETCH(bool, set);
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, duringStart);
        if (set)
            qputenv(flags::Variable, user);
        else
            qunsetenv(flags::Variable);

        flags::apply();
        QCOMPARE(qgetenv(flags::Variable), duringStart);
        // Applied twice (a second viewer made before the first engine), the user's value is kept.
        flags::apply();
        QCOMPARE(qgetenv(flags::Variable), duringStart);

        flags::restore();
        QCOMPARE(qEnvironmentVariableIsSet(flags::Variable), set);
        QCOMPARE(qgetenv(flags::Variable), user);
        // Given back once: a later change of the environment is not undone.
        qputenv(flags::Variable, "--lang=de");
        flags::restore();
        QCOMPARE(qgetenv(flags::Variable), QByteArrayLiteral("--lang=de"));
        qunsetenv(flags::Variable);
    }
};

QTEST_APPLESS_MAIN(TestEngineFlags)
#include "tst_engineflags.moc"
