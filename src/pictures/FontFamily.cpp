#include "FontFamily.h"

#include <QHash>
#include <QMutex>

#include <fontconfig/fontconfig.h>

#include <memory>

namespace kelvo::pictures {

namespace {

struct PatternDeleter
{
    void operator()(FcPattern *pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

QStringView baseFace(QStringView faceName)
{
    QStringView face = faceName.trimmed();
    static constexpr QStringView suffixes[] = { u" Cyr", u" CE", u" Greek", u" Tur", u" Baltic" };
    for (const QStringView suffix : suffixes) {
        if (face.endsWith(suffix, Qt::CaseInsensitive)) {
            face.chop(suffix.size());
            break;
        }
    }
    return face;
}

// The same steps Qt's own fallback list takes (the configuration's aliases, then its defaults,
// the user's language among them), reduced to the best match.
QString matchedFamily(const QString &face)
{
    const Pattern pattern(FcPatternCreate());
    const QByteArray name = face.toUtf8();
    if (!pattern || !FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8 *>(name.constData()))
        || !FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern))
        return face;
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match)
        return face;
    // A face may carry several family names ("DejaVu Sans" and "DejaVu Sans Light"); one of them
    // asked for is installed, and Qt knows it by that name.
    QString first;
    FcChar8 *family = nullptr;
    for (int i = 0; FcPatternGetString(match.get(), FC_FAMILY, i, &family) == FcResultMatch; ++i) {
        const QString matched = QString::fromUtf8(reinterpret_cast<const char *>(family));
        if (matched.compare(face, Qt::CaseInsensitive) == 0)
            return face;
        if (i == 0)
            first = matched;
    }
    return first.isEmpty() ? face : first;
}

} // namespace

std::future<void> loadFontConfigurationAhead()
{
    // Fontconfig makes its current configuration on first use and keeps the first one made when
    // two threads race to it.
    return std::async(std::launch::async, [] { FcInit(); });
}

QString fontFamilyFor(QStringView faceName)
{
    const QString face = baseFace(faceName).toString();
    if (face.isEmpty())
        return face;
    static QMutex mutex;
    static QHash<QString, QString> families;
    const QMutexLocker lock(&mutex);
    if (const auto known = families.constFind(face); known != families.cend())
        return *known;
    const QString family = matchedFamily(face);
    families.insert(face, family);
    return family;
}

} // namespace kelvo::pictures
