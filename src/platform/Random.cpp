#include "Random.h"

#include <QDateTime>
#include <QTime>

#include <random>

namespace {

struct Generator
{
    std::mt19937 engine { 0 };
    quint64 draws = 0;
};

Generator &generator()
{
    static Generator instance;
    return instance;
}

} // namespace

void SeedRandomFromClock()
{
    const QTime now = QDateTime::currentDateTimeUtc().time();
    SeedRandom(quint32(now.msecsSinceStartOfDay()));
}

void SeedRandom(quint32 seed)
{
    generator().engine.seed(seed);
    generator().draws = 0;
}

int RandomInt(int n)
{
    ++generator().draws;
    if (n <= 0)
        return 0;
    // Rejection sampling keeps every value equally likely.
    const quint32 bound = quint32(n);
    const quint32 threshold = (0u - bound) % bound;
    quint32 value;
    do {
        value = quint32(generator().engine());
    } while (value < threshold);
    return int(value % bound);
}

double RandomReal()
{
    ++generator().draws;
    return double(quint32(generator().engine())) / 4294967296.0;
}

quint64 RandomDrawCount()
{
    return generator().draws;
}
