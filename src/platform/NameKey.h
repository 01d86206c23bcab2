#pragma once

#include <QString>

#include <cstddef>

namespace kelvo {

// A name folded for comparisons that ignore letter case (section and key names, file names).
// Names are nearly always plain ASCII: those are folded without Unicode's tables, and a name
// already in lower case is shared rather than copied.
QString foldedName(const QString &name);

// A QString as the key of a QHash, with a hash of its own. Qt's string hash takes a processor
// path (AES instructions) that stalls on some machines: about 200 ns for a five-letter name,
// where loading one schema of a few thousand devices makes tens of thousands of lookups. This
// hash mixes each UTF-16 unit with a multiplication, starting from QHash's seed, which is
// chosen anew for each run.
struct NameKey
{
    NameKey() = default;
    NameKey(const QString &text) // implicit: a QString is looked up as it is
        : text(text)
    {
    }
    NameKey(QString &&text)
        : text(std::move(text))
    {
    }
    friend bool operator==(const NameKey &, const NameKey &) = default;

    QString text;
};

size_t qHash(const NameKey &key, size_t seed) noexcept;

} // namespace kelvo
