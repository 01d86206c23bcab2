#include "IniChecks.h"

#include "CheckContext.h"
#include "CheckTexts.h"
#include "NearestName.h"
#include "NumberFormats.h"
#include "TextFormat.h"

#include <QHash>
#include <QSet>

namespace kelvo::check {

namespace {

QString folded(const QString &name)
{
    return name.toCaseFolded();
}

// The length of a value as the reader reads it, before it cuts it: one pair of quotes comes off.
qsizetype readLength(const QString &value)
{
    const bool quoted
        = value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front();
    return quoted ? value.size() - 2 : value.size();
}

} // namespace

void checkIniStructure(CheckContext &context, const TIniFile &ini, const QString &shownFile)
{
    CheckReport &report = context.report();
    for (const int line : ini.IgnoredLines())
        report.warning(shownFile, line, QStringLiteral("ignored-line"), CheckTexts::IgnoredLine);

    const std::vector<TIniFile::Section> &sections = ini.AllSections();
    const qsizetype visible = ini.ReadSections().size();
    QHash<QString, int> firstLine;
    for (size_t i = 0; i < sections.size(); ++i) {
        const TIniFile::Section &section = sections[i];
        if (qsizetype(i) >= visible) {
            report.error(shownFile, section.line, QStringLiteral("beyond-name-list"),
                format(CheckTexts::SectionBeyondNameList, { section.name }));
            continue;
        }
        const auto first = firstLine.constFind(folded(section.name));
        if (first != firstLine.cend()) {
            report.error(shownFile, section.line, QStringLiteral("duplicate-section"),
                format(CheckTexts::DuplicateSection, { section.name, qint64(*first) }));
            continue;
        }
        firstLine.insert(folded(section.name), section.line);

        QHash<QString, int> keyLine;
        for (const TIniFile::Entry &entry : section.entries) {
            const auto firstKey = keyLine.constFind(folded(entry.key));
            if (firstKey != keyLine.cend()) {
                report.warning(shownFile, entry.line, QStringLiteral("duplicate-key"),
                    format(CheckTexts::DuplicateKey, { entry.key, qint64(*firstKey) }));
                continue;
            }
            keyLine.insert(folded(entry.key), entry.line);
            if (readLength(entry.value) > TIniFile::MaxValueLength) {
                report.warning(shownFile, entry.line, QStringLiteral("value-too-long"),
                    format(CheckTexts::ValueTooLong, { entry.key }));
            }
        }
    }
}

std::vector<const TIniFile::Section *> readableSections(const TIniFile &ini)
{
    std::vector<const TIniFile::Section *> readable;
    const std::vector<TIniFile::Section> &sections = ini.AllSections();
    const size_t visible = size_t(ini.ReadSections().size());
    QSet<QString> seen;
    for (size_t i = 0; i < sections.size() && i < visible; ++i) {
        const QString name = folded(sections[i].name);
        if (seen.contains(name))
            continue;
        seen.insert(name);
        readable.push_back(&sections[i]);
    }
    return readable;
}

void checkKeys(CheckContext &context, const QString &shownFile, const TIniFile::Section &section, const KeySet &keys)
{
    QSet<QString> known;
    for (const QString &key : keys.known)
        known.insert(folded(key));
    QSet<QString> seen;
    for (const TIniFile::Entry &entry : section.entries) {
        const QString key = folded(entry.key);
        if (known.contains(key) || seen.contains(key))
            continue;
        seen.insert(key);
        QString hint;
        for (const auto &[name, kinds] : keys.elsewhere) {
            if (folded(name) == key)
                hint = format(keys.elsewherePattern, { kinds });
        }
        if (hint.isEmpty()) {
            if (const std::optional<QString> near = nearestName(entry.key, keys.known))
                hint = format(CheckTexts::Suggestion, { *near });
        }
        context.report().warning(
            shownFile, entry.line, QStringLiteral("unknown-key"), format(CheckTexts::UnknownKey, { entry.key, hint }));
    }
}

int keyOrSectionLine(const TIniFile &ini, const QString &section, const QString &key)
{
    const int line = ini.KeyLine(section, key);
    return line > 0 ? line : ini.SectionLine(section);
}

std::optional<qint32> checkInteger(CheckContext &context, const TIniFile &ini, const QString &shownFile,
    const QString &section, const IntegerKey &integerKey)
{
    const QString &key = integerKey.name;
    if (!ini.ValueExists(section, key))
        return std::nullopt;
    const QString value = ini.ReadString(section, key, {});
    const std::optional<qint32> number = parseInteger(value);
    if (!number) {
        context.report().warning(shownFile, ini.KeyLine(section, key), QStringLiteral("bad-integer"),
            format(CheckTexts::BadInteger, { value, key, qint64(integerKey.fallback) }));
    }
    return number;
}

std::optional<qint32> checkInteger(
    CheckContext &context, const TIniFile &ini, const QString &shownFile, const QString &section, const BoolKey &key)
{
    return checkInteger(context, ini, shownFile, section, IntegerKey { key.name, key.fallback ? 1 : 0 });
}

void checkByte(CheckContext &context, const TIniFile &ini, const QString &shownFile, const QString &section,
    const IntegerKey &byteKey)
{
    const QString &key = byteKey.name;
    const std::optional<qint32> number = checkInteger(context, ini, shownFile, section, byteKey);
    if (number && (*number < 0 || *number > 255)) {
        context.report().warning(shownFile, ini.KeyLine(section, key), QStringLiteral("value-wraps"),
            format(CheckTexts::ValueWraps, { ini.ReadString(section, key, {}), key, qint64(quint8(*number)) }));
    }
}

std::optional<double> checkDecimal(CheckContext &context, const TIniFile &ini, const QString &shownFile,
    const QString &section, const DecimalKey &decimalKey)
{
    const QString &key = decimalKey.name;
    if (!ini.ValueExists(section, key))
        return std::nullopt;
    const QString value = ini.ReadString(section, key, {});
    const std::optional<double> number = parseDecimal(value, context.locale());
    if (!number) {
        context.report().warning(shownFile, ini.KeyLine(section, key), QStringLiteral("bad-number"),
            format(CheckTexts::BadDecimal,
                { value, key, decimalSeparator(context.locale()),
                    formatGeneral(decimalKey.fallback, context.locale()) }));
    }
    return number;
}

bool checkPresent(CheckContext &context, const TIniFile &ini, const QString &shownFile, const QString &section,
    const QString &key, bool isError, const QString &code, const QString &consequence, bool emptyCounts)
{
    const Level level = isError ? Level::Error : Level::Warning;
    if (!ini.ValueExists(section, key)) {
        context.report().add({ shownFile, ini.SectionLine(section), level, code,
            format(CheckTexts::MissingKey, { section, key, consequence }) });
        return false;
    }
    if (emptyCounts && ini.ReadString(section, key, {}).isEmpty()) {
        context.report().add(
            { shownFile, ini.KeyLine(section, key), level, code, format(CheckTexts::EmptyKey, { key, consequence }) });
        return false;
    }
    return true;
}

} // namespace kelvo::check
