#pragma once

#include "uChapter.h"

// An experiment: a schema picture with devices and variants, read from its schema file.
class TExperimentChapter final : public TChapter
{
public:
    TExperimentChapter(const QString &sectionName, const TIniFile *iniFile);

    QByteArray GetHTML() override { return {}; }
    int CheckAnswers(const QStringList &) override { return -1; }
    QString ClassName() const override { return QStringLiteral("TExperimentChapter"); }

    QString SchemaFile;
    quint8 LinkedChapter = 0;
};
