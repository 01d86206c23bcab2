#include "NameKey.h"

namespace kelvo {

QString foldedName(const QString &name)
{
    bool upper = false;
    for (const QChar c : name) {
        if (c.unicode() >= 0x80)
            return name.toCaseFolded();
        upper = upper || (c >= u'A' && c <= u'Z');
    }
    if (!upper)
        return name;
    QString lower(name.size(), Qt::Uninitialized);
    QChar *out = lower.data();
    for (const QChar c : name)
        *out++ = c >= u'A' && c <= u'Z' ? QChar(c.unicode() + (u'a' - u'A')) : c;
    return lower;
}

size_t qHash(const NameKey &key, size_t seed) noexcept
{
    quint64 hash = quint64(seed) ^ (quint64(key.text.size()) * 0x9E3779B97F4A7C15ULL);
    for (const QChar c : key.text) {
        hash = (hash ^ c.unicode()) * 0xFF51AFD7ED558CCDULL;
        hash ^= hash >> 32;
    }
    return size_t(hash);
}

} // namespace kelvo
