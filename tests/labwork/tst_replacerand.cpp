#include "NumberFormats.h"
#include "Random.h"
#include "ReplaceRand.h"
#include "TestSupport.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

class ReplaceRandTest : public QObject
{
    Q_OBJECT

private slots:
    void unchanged_data();
    void unchanged();
    void everyOccurrenceGetsItsOwnNumber_data();
    void everyOccurrenceGetsItsOwnNumber();
};

void ReplaceRandTest::unchanged_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("no marker") << u"V1=2,5"_s;
    QTest::newRow("small letters") << u"rand()"_s;
    QTest::newRow("no closing bracket") << u"x=RAND("_s;
    QTest::newRow("blank inside the brackets") << u"RAND( )"_s;
    QTest::newRow("empty") << QString();
}

void ReplaceRandTest::unchanged()
{
    QFETCH(QString, text);
    const quint64 before = RandomDrawCount();
    QCOMPARE(ReplaceRand(text), text);
    QCOMPARE(RandomDrawCount(), before);
}

void ReplaceRandTest::everyOccurrenceGetsItsOwnNumber_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("shape");
    QTest::newRow("Russian settings") << kelvo::test::russian() << uR"(^x=0,\d+\+0,\d+RAND\(RAND\)$)"_s;
    QTest::newRow("English settings") << kelvo::test::english() << uR"(^x=0\.\d+\+0\.\d+RAND\(RAND\)$)"_s;
}

void ReplaceRandTest::everyOccurrenceGetsItsOwnNumber()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, shape);
    const kelvo::test::DefaultLocale scope(locale);

    SeedRandom(7);
    const QString replaced = ReplaceRand(u"x=RAND()+RAND()RAND(RAND)"_s);
    QVERIFY2(QRegularExpression(shape).match(replaced).hasMatch(), qPrintable(replaced));

    // Left to right, one fresh number each, in the general format with the regional separator.
    SeedRandom(7);
    const QString first = kelvo::formatGeneral(RandomReal());
    const QString second = kelvo::formatGeneral(RandomReal());
    QVERIFY(first != second);
    QCOMPARE(replaced, u"x="_s + first + u'+' + second + u"RAND(RAND)"_s);
}

QTEST_GUILESS_MAIN(ReplaceRandTest)
#include "tst_replacerand.moc"
