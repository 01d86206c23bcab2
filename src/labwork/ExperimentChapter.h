#pragma once

#include "Chapter.h"
#include "DeviceList.h"
#include "VariantList.h"

#include <QSet>

#include <memory>

class TIniFile;

namespace kelvo {
class SchemaFiles;
}

// An experiment: a schema picture with devices and variants, read from its schema file when
// the lab work loads.
class TExperimentChapter final : public TChapter
{
public:
    // Reads the chapter's keys and the whole schema file, activates the start variant (reporting
    // "Activation error!" when it is missing) and computes the measured values. The schema file
    // comes from `schemaFiles`, the files of the whole load, when given.
    TExperimentChapter(const QString &sectionName, const TIniFile *iniFile, kelvo::SchemaFiles *schemaFiles = nullptr);
    ~TExperimentChapter() override;

    QByteArray GetHTML() override { return {}; }
    int CheckAnswers(const QStringList &) override { return -1; }
    QString ClassName() const override { return QStringLiteral("TExperimentChapter"); }

    // Makes the variant whose section name is `name` (letter case counting) the current one and
    // hands its value texts to the measurement devices it lists. False when there is none.
    bool ActivateVariant(const QString &name);

    // Evaluates every measurement device's value text into its Value, with the passive devices'
    // identifiers standing for their values. An empty text, or one that does not evaluate,
    // leaves Value as it is; a text that does not evaluate sets the device's ValueError and is
    // reported once.
    void Recalculate();

    TDeviceList Devices;
    TVariantList Variants;
    // Shared, read-only, with the other experiments of the lab work that name the same file.
    std::shared_ptr<const TIniFile> Schema;
    QString ImageFile;
    QString SchemaTitle;
    quint8 LinkedChapter = 0;
    QString StartFrom;
    QString CurrentVariant;
    QString SchemaFile;

private:
    void loadDevices();

    QSet<QString> m_reportedTexts;
};
