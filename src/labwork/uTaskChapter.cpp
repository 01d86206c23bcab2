#include "uTaskChapter.h"

#include "IniFile.h"
#include "RuntimeErrors.h"
#include "uLocalization.h"

TTaskChapter::TTaskChapter(const QString &sectionName, const TIniFile *iniFile)
    : TChapter(sectionName, iniFile)
{
    Questions = IniFile->ReadInteger(SectionName, QStringLiteral("Questions"), 0);
    Heading = IniFile->ReadString(SectionName, QStringLiteral("Heading"), Texts::ErrorReadingChapter);
    Attempts = IniFile->ReadInteger(SectionName, QStringLiteral("Attempts"), -1);
    MessageStyle = IniFile->ReadInteger(SectionName, QStringLiteral("MessageStyle"), 0);
}

QByteArray TTaskChapter::GetHTML()
{
    throw ERuntimeError(QStringLiteral("Quiz pages are not generated yet"));
}

int TTaskChapter::CheckAnswers(const QStringList &results)
{
    ++AttemptCount;
    RightCount = 0;
    for (const QString &result : results) {
        if (Answers.contains(result, Qt::CaseInsensitive))
            ++RightCount;
    }
    return RightCount;
}
