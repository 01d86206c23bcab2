#include "Random.h"
#include "ReplaceRand.h"
#include "TestSupport.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestReplaceRand final : public QObject
{
    Q_OBJECT

private slots:
    void unchanged_data();
    void unchanged();
    void everyOccurrenceGetsItsOwnNumber_data();
    void everyOccurrenceGetsItsOwnNumber();
};

void TestReplaceRand::unchanged_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("no marker") << u"V1=2,5"_s;
    QTest::newRow("small letters") << u"rand()"_s;
    QTest::newRow("no closing bracket") << u"x=RAND("_s;
    QTest::newRow("blank inside the brackets") << u"RAND( )"_s;
    QTest::newRow("empty") << QString();
}

void TestReplaceRand::unchanged()
{
    QFETCH(QString, text);
    const quint64 before = RandomDrawCount();
    QCOMPARE(ReplaceRand(text), text);
    QCOMPARE(RandomDrawCount(), before);
}

void TestReplaceRand::everyOccurrenceGetsItsOwnNumber_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");
    // Seeded with 7, the generator's first two draws are 327741615 and 976413892 (std::mt19937's
    // sequence); divided by 2^32 and written with 15 significant digits, trailing zeros dropped.
    QTest::newRow("Russian settings") << kelvo::test::russian() << u"x=0,0763082911726087+0,22733907494694RAND(RAND)"_s;
    QTest::newRow("English settings") << kelvo::test::english() << u"x=0.0763082911726087+0.22733907494694RAND(RAND)"_s;
}

// Left to right, one fresh number each, in the general format with the regional separator.
void TestReplaceRand::everyOccurrenceGetsItsOwnNumber()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    const kelvo::test::DefaultLocale scope(locale);

    SeedRandom(7);
    QCOMPARE(ReplaceRand(u"x=RAND()+RAND()RAND(RAND)"_s), expected);
    QCOMPARE(RandomDrawCount(), quint64(2));
}

QTEST_GUILESS_MAIN(TestReplaceRand)
#include "tst_replacerand.moc"
