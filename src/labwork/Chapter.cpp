#include "Chapter.h"

#include "IniFile.h"
#include "LabWorkKeys.h"
#include "NumberFormats.h"

TChapter::TChapter(const QString &sectionName, const TIniFile *iniFile)
    : SectionName(sectionName)
    , IniFile(iniFile)
{
    namespace keys = kelvo::keys::chapter;
    Title = kelvo::readKey(*IniFile, SectionName, keys::Title);
    Identifier = quint8(kelvo::readKey(*IniFile, SectionName, keys::Identifier));
    RequiredChapters = parseRequiredChapters(kelvo::readKey(*IniFile, SectionName, keys::RequiredChapters));
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
