#pragma once

#include "uChapter.h"

// An examination: a quiz generated from question files, checked against their answer lines.
class TTaskChapter final : public TChapter
{
public:
    TTaskChapter(const QString &sectionName, const TIniFile *iniFile);

    QByteArray GetHTML() override;
    int CheckAnswers(const QStringList &results) override;
    QString ClassName() const override { return QStringLiteral("TTaskChapter"); }

    QStringList Answers;
    qint32 RightCount = 0;
    qint32 Questions = 0;
    QString Heading;
    qint32 AttemptCount = 0;
    qint32 Attempts = -1;
    qint32 MessageStyle = 0;
};
