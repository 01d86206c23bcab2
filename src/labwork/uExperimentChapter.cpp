#include "uExperimentChapter.h"

#include "IniFile.h"
#include "uLocalization.h"

TExperimentChapter::TExperimentChapter(const QString &sectionName, const TIniFile *iniFile)
    : TChapter(sectionName, iniFile)
{
    SchemaFile = IniFile->ReadString(SectionName, QStringLiteral("SchemaFile"), Texts::ErrorReadingChapter);
    LinkedChapter = quint8(IniFile->ReadInteger(SectionName, QStringLiteral("LinkedChapter"), 0));
}
