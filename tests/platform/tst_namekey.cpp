#include "NameKey.h"

#include <QHash>
#include <QTest>

class TestNameKey final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void foldsAsUnicodeDoes_data();
    void foldsAsUnicodeDoes();
    void hashFollowsTheRunsSeed();
};

void TestNameKey::foldsAsUnicodeDoes_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("lower case") << QStringLiteral("schemaheader");
    QTest::newRow("upper case") << QStringLiteral("SCHEMAHEADER");
    QTest::newRow("mixed, digits and signs") << QStringLiteral("Device_07.Value-[A]@Z`{");
    QTest::newRow("Cyrillic") << QStringLiteral("Вольтметр V1");
    QTest::newRow("Latin-1 letters") << QStringLiteral("ÄÖÜ ß É");
    QTest::newRow("dotted capital I") << QStringLiteral("İstanbul");
    QTest::newRow("Greek final sigma") << QStringLiteral("ΣΟΦΟΣ σοφος");
    QTest::newRow("ASCII then other") << QStringLiteral("ABC\u212A"); // the Kelvin sign folds to k
}

// The quick path for ASCII names must answer exactly what Unicode's case folding answers.
void TestNameKey::foldsAsUnicodeDoes()
{
    QFETCH(QString, name);
    QCOMPARE(kelvo::foldedName(name), name.toCaseFolded());
}

// QHash chooses its seed anew for each run; a hash that ignored it would let a package be built
// whose names all land in one bucket.
void TestNameKey::hashFollowsTheRunsSeed()
{
    const kelvo::NameKey key(QStringLiteral("d0001"));
    QCOMPARE(qHash(key, 1), qHash(kelvo::NameKey(QStringLiteral("d0001")), 1));
    QVERIFY(qHash(key, 1) != qHash(key, 2));
    QVERIFY(qHash(key, 1) != qHash(kelvo::NameKey(QStringLiteral("d0002")), 1));

    QHash<kelvo::NameKey, int> table;
    table.insert(QStringLiteral("voltmeter"), 1);
    QCOMPARE(table.value(QStringLiteral("voltmeter")), 1);
    QVERIFY(!table.contains(QStringLiteral("Voltmeter")));
}

QTEST_GUILESS_MAIN(TestNameKey)
#include "tst_namekey.moc"
