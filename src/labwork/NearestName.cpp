#include "NearestName.h"

#include <algorithm>
#include <vector>

namespace kelvo::check {

namespace {

// Names longer than this are no names an author types: no suggestion, and no quadratic cost.
constexpr qsizetype LongestName = 64;

} // namespace

int spellingDistance(QStringView a, QStringView b)
{
    const QString x = a.toString().toCaseFolded();
    const QString y = b.toString().toCaseFolded();
    const qsizetype n = x.size();
    const qsizetype m = y.size();
    // Optimal string alignment: insertions, deletions, substitutions and swaps of neighbours.
    std::vector<std::vector<int>> d(size_t(n + 1), std::vector<int>(size_t(m + 1)));
    for (qsizetype i = 0; i <= n; ++i)
        d[size_t(i)][0] = int(i);
    for (qsizetype j = 0; j <= m; ++j)
        d[0][size_t(j)] = int(j);
    for (qsizetype i = 1; i <= n; ++i) {
        for (qsizetype j = 1; j <= m; ++j) {
            const int cost = x[i - 1] == y[j - 1] ? 0 : 1;
            int best = std::min({d[size_t(i - 1)][size_t(j)] + 1, d[size_t(i)][size_t(j - 1)] + 1,
                                 d[size_t(i - 1)][size_t(j - 1)] + cost});
            if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1])
                best = std::min(best, d[size_t(i - 2)][size_t(j - 2)] + 1);
            d[size_t(i)][size_t(j)] = best;
        }
    }
    return d[size_t(n)][size_t(m)];
}

std::optional<QString> nearestName(QStringView name, const QStringList &candidates)
{
    if (name.size() > LongestName || candidates.contains(name.toString()))
        return std::nullopt;
    std::optional<QString> best;
    int bestDistance = 0;
    for (const QString &candidate : candidates) {
        if (candidate.size() > LongestName)
            continue;
        const int distance = spellingDistance(name, candidate);
        const int allowed = int(std::max<qsizetype>(1, std::min(name.size(), candidate.size()) / 4));
        if (distance <= allowed && (!best || distance < bestDistance)) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace kelvo::check
