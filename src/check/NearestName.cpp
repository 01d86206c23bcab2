#include "NearestName.h"

#include <algorithm>
#include <cstdlib>
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
    const size_t n = size_t(x.size());
    const size_t m = size_t(y.size());
    const QChar *xs = x.constData();
    const QChar *ys = y.constData();
    // Optimal string alignment: insertions, deletions, substitutions and swaps of neighbours,
    // with three rows of the table.
    std::vector<int> before(m + 1), previous(m + 1), current(m + 1);
    for (size_t j = 0; j <= m; ++j)
        previous[j] = int(j);
    for (size_t i = 1; i <= n; ++i) {
        current[0] = int(i);
        for (size_t j = 1; j <= m; ++j) {
            const int cost = xs[i - 1] == ys[j - 1] ? 0 : 1;
            int best = std::min({ previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost });
            if (i > 1 && j > 1 && xs[i - 1] == ys[j - 2] && xs[i - 2] == ys[j - 1])
                best = std::min(best, before[j - 2] + 1);
            current[j] = best;
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[m];
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
        const int allowed = int(std::max<qsizetype>(1, std::min(name.size(), candidate.size()) / 4));
        if (std::abs(name.size() - candidate.size()) > allowed)
            continue; // needs more edits than allowed
        const int distance = spellingDistance(name, candidate);
        if (distance <= allowed && (!best || distance < bestDistance)) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace kelvo::check
