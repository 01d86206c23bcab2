#pragma once

#include <QtGlobal>

// The one pseudo-random generator of the program. Start-up seeds it once from the clock;
// tests seed it to make draws repeatable.

// Seeds the generator with the milliseconds since midnight of the current UTC time.
void SeedRandomFromClock();
void SeedRandom(quint32 seed);

// A whole number drawn uniformly from 0 to n - 1; 0 when n is 0 or less.
int RandomInt(int n);

// A real number r with 0 <= r < 1, r = k / 2^32 for a whole number k drawn uniformly.
double RandomReal();

// The number of draws since the last seeding (each RandomInt or RandomReal is one).
quint64 RandomDrawCount();
