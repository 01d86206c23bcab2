// The web engine's switches that the program adds: the user's own are kept, none is named twice,
// and the page process goes without a zygote only where the sandbox is off (Chromium refuses it
// with the sandbox on).
#include "EngineFlags.h"

#include <QTest>

namespace flags = kelvo::engineflags;

class TestEngineFlags final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void switchesForTheSandbox_data()
    {
        QTest::addColumn<bool>("disableSandboxSet");
        QTest::addColumn<QByteArray>("userFlags");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("sandbox on") << false << QByteArray() << QByteArray();
        QTest::newRow("sandbox on, user's switch kept")
            << false << QByteArrayLiteral("--lang=ru") << QByteArrayLiteral("--lang=ru");
        QTest::newRow("sandbox off by the variable") << true << QByteArray() << QByteArrayLiteral("--no-zygote");
        QTest::newRow("sandbox off by the user's switch")
            << false << QByteArrayLiteral("  --no-sandbox ") << QByteArrayLiteral("--no-sandbox --no-zygote");
        QTest::newRow("no zygote named once")
            << true << QByteArrayLiteral("--no-zygote --lang=ru") << QByteArrayLiteral("--no-zygote --lang=ru");
    }

    void switchesForTheSandbox()
    {
        QFETCH(bool, disableSandboxSet);
        QFETCH(QByteArray, userFlags);
        QFETCH(QByteArray, expected);
        QCOMPARE(flags::merged(userFlags, flags::forRun(flags::sandboxOff(disableSandboxSet, userFlags))), expected);
    }
};

QTEST_APPLESS_MAIN(TestEngineFlags)
#include "tst_engineflags.moc"
