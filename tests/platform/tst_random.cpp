#include "Random.h"

#include <QTest>

#include <cmath>

class TestRandom final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void seedingRepeatsTheDraws();
    void randomIntIsUniformAndInRange();
    void randomRealHas32BitResolution();
};

void TestRandom::seedingRepeatsTheDraws()
{
    SeedRandom(42);
    const int a = RandomInt(1000);
    const double b = RandomReal();
    SeedRandom(42);
    QCOMPARE(RandomInt(1000), a);
    QCOMPARE(RandomReal(), b);
    QCOMPARE(RandomDrawCount(), quint64(2));
    QCOMPARE(RandomInt(0), 0);
    QCOMPARE(RandomInt(-5), 0);
}

void TestRandom::randomIntIsUniformAndInRange()
{
    SeedRandom(7);
    constexpr int buckets = 7;
    constexpr int draws = 70000;
    int counts[buckets] = {};
    for (int i = 0; i < draws; ++i) {
        const int k = RandomInt(buckets);
        QVERIFY(k >= 0 && k < buckets);
        ++counts[k];
    }
    for (const int count : counts)
        QVERIFY2(std::abs(count - draws / buckets) < 500, qPrintable(QString::number(count)));
}

void TestRandom::randomRealHas32BitResolution()
{
    SeedRandom(1);
    for (int i = 0; i < 10000; ++i) {
        const double r = RandomReal();
        QVERIFY(r >= 0 && r < 1);
        const double k = r * 4294967296.0;
        QCOMPARE(k, std::floor(k));
    }
}

QTEST_GUILESS_MAIN(TestRandom)
#include "tst_random.moc"
