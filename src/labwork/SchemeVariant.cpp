#include "SchemeVariant.h"

#include "IniFile.h"
#include "LabWorkKeys.h"
#include "NameKey.h"
#include "ReplaceRand.h"

namespace {

QStringList readValueLines(const TIniFile &schema, const QString &sectionName)
{
    QStringList lines;
    for (const QString &key : schema.ReadSection(sectionName)) {
        if (key == kelvo::keys::variant::Title.name || key == kelvo::keys::variant::ImageFile.name)
            continue;
        lines.append(ReplaceRand(key + QLatin1Char('=') + schema.ReadString(sectionName, key, {})));
    }
    return lines;
}

QStringView namePart(const QString &line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    return equals < 0 ? QStringView(line) : QStringView(line).left(equals);
}

} // namespace

TSchemeVariant::TSchemeVariant(const TIniFile &schema, const QString &sectionName)
    : Title(kelvo::readKey(schema, sectionName, kelvo::keys::variant::Title))
    , ImageFile(kelvo::readKey(schema, sectionName, kelvo::keys::variant::ImageFile))
    , SectionName(sectionName)
    , Values(readValueLines(schema, sectionName))
{
    for (qsizetype i = 0; i < Values.size(); ++i) {
        const QString name = kelvo::foldedName(namePart(Values[i]).toString());
        if (!m_firstLine.contains(name))
            m_firstLine.insert(name, i);
    }
}

std::optional<QString> TSchemeVariant::ValueFor(const QString &deviceName) const
{
    const auto it = m_firstLine.constFind(kelvo::foldedName(deviceName));
    if (it == m_firstLine.cend())
        return std::nullopt;
    const QString &line = Values[*it];
    return line.mid(line.indexOf(QLatin1Char('=')) + 1);
}
