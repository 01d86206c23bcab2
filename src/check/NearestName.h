#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace kelvo::check {

// The candidate that `name` most likely misspells: one that differs only in letter case, or by
// few edits (a letter left out, added, changed, or two swapped; one edit per four letters, at
// least one). Nothing when no candidate is that close, or `name` is one of them exactly.
std::optional<QString> nearestName(QStringView name, const QStringList &candidates);

// The number of such edits between two texts, without regard to letter case.
int spellingDistance(QStringView a, QStringView b);

} // namespace kelvo::check
