#include "Chapter.h"

#include "IniFile.h"
#include "Localization.h"
#include "NumberFormats.h"

TChapter::TChapter(const QString &sectionName, const TIniFile *iniFile)
    : SectionName(sectionName)
    , IniFile(iniFile)
{
    Title = IniFile->ReadString(SectionName, QStringLiteral("Title"), Texts::ErrorReadingChapter);
    Identifier = quint8(IniFile->ReadInteger(SectionName, QStringLiteral("Identifier"), 0));
    RequiredChapters = parseRequiredChapters(IniFile->ReadString(SectionName, QStringLiteral("RequiredChapters"), {}));
}

TChapter::~TChapter() = default;

QByteArray parseRequiredChapters(const QString &value)
{
    QByteArray identifiers;
    QStringView rest(value);
    while (!rest.isEmpty()) {
        const qsizetype comma = rest.indexOf(u',');
        const QStringView entry = comma < 0 ? rest : rest.left(comma);
        if (const auto number = kelvo::parseInteger(entry))
            identifiers.append(char(quint8(*number)));
        rest = comma < 0 ? QStringView() : rest.mid(comma + 1);
    }
    return identifiers;
}
