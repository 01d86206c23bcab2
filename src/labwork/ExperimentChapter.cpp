#include "ExperimentChapter.h"

#include "IniFile.h"
#include "LabFolder.h"
#include "LabWorkKeys.h"
#include "Localization.h"
#include "ModelMessages.h"
#include "SchemaFiles.h"
#include "ValueExpression.h"

#include <algorithm>

namespace {

std::unique_ptr<TSchemaDevice> createDevice(const QString &kind, const TIniFile &schema, const QString &section)
{
    namespace classes = kelvo::keys::device;
    if (kind == classes::Measurement)
        return std::make_unique<TMeasurementDevice>(schema, section);
    if (kind == classes::Passive)
        return std::make_unique<TPassiveDevice>(schema, section);
    if (kind == classes::Area)
        return std::make_unique<TAreaDevice>(schema, section);
    return nullptr;
}

// The schema file as the lab folder resolves it; a name it cannot find (or one that climbs out
// of the folder), and a file too large to read, read as a file without sections: the chapter has
// no devices and no variants, and loading goes on.
std::shared_ptr<const TIniFile> openSchema(const QString &name, kelvo::SchemaFiles *schemaFiles)
{
    const QString path = kelvo::LabFolder().resolve(name).value_or(QString());
    if (schemaFiles)
        return schemaFiles->open(path);
    kelvo::SchemaFiles own;
    return own.open(path);
}

} // namespace

TExperimentChapter::TExperimentChapter(
    const QString &sectionName, const TIniFile *iniFile, kelvo::SchemaFiles *schemaFiles)
    : TChapter(sectionName, iniFile)
{
    SchemaFile = kelvo::readKey(*IniFile, SectionName, kelvo::keys::experiment::SchemaFile);
    LinkedChapter = quint8(kelvo::readKey(*IniFile, SectionName, kelvo::keys::experiment::LinkedChapter));
    Schema = openSchema(SchemaFile, schemaFiles);

    namespace header = kelvo::keys::schema;
    ImageFile = kelvo::readKey(*Schema, header::Section, header::ImageFile);
    SchemaTitle = kelvo::readKey(*Schema, header::Section, header::Title);
    StartFrom = kelvo::readKey(*Schema, header::Section, header::StartFrom);

    // Variants are read before the devices and activated after them: activation needs the devices.
    Variants.LoadVariants(*Schema);
    loadDevices();

    if (!StartFrom.isEmpty() && StartFrom != Texts::ErrorReadingChapter && !ActivateVariant(StartFrom))
        kelvo::reportActivationError(Texts::ActivationError);
    // The page recalculates before it shows anything; doing it here as well gives headless runs
    // the values, and the author the reports, without a window.
    Recalculate();
}

TExperimentChapter::~TExperimentChapter()
{
    Devices.Clear();
    Variants.Clear();
}

void TExperimentChapter::loadDevices()
{
    QStringList sections = Schema->ReadSections();
    const auto header = std::find_if(sections.cbegin(), sections.cend(),
        [](const QString &name) { return name.compare(kelvo::keys::schema::Section, Qt::CaseInsensitive) == 0; });
    if (header != sections.cend())
        sections.erase(header);

    for (const QString &section : std::as_const(sections)) {
        if (isVariantSection(section))
            continue;
        const QString kind = kelvo::readKey(*Schema, section, kelvo::keys::device::Class);
        Devices.Add(createDevice(kind, *Schema, section));
    }
}

bool TExperimentChapter::ActivateVariant(const QString &name)
{
    const TSchemeVariant *variant = Variants.FindVariant(name);
    if (!variant)
        return false;
    ImageFile = variant->ImageFile;
    for (const QString &line : variant->Values) {
        const QString deviceName = line.left(line.indexOf(QLatin1Char('=')));
        if (auto *device = dynamic_cast<TMeasurementDevice *>(Devices.FindDevice(deviceName))) {
            if (const std::optional<QString> value = variant->ValueFor(deviceName))
                device->ValueText = *value;
        }
    }
    CurrentVariant = name;
    return true;
}

void TExperimentChapter::Recalculate()
{
    kelvo::ExpressionVariables variables;
    for (int i = 0; i < Devices.Count(); ++i) {
        if (const auto *passive = dynamic_cast<const TPassiveDevice *>(Devices.Device(i)))
            variables.insert(passive->Identifier, passive->Value);
    }
    for (int i = 0; i < Devices.Count(); ++i) {
        auto *device = dynamic_cast<TMeasurementDevice *>(Devices.Device(i));
        if (!device)
            continue;
        device->ValueError.clear();
        if (device->ValueText.trimmed().isEmpty())
            continue;
        const kelvo::ExpressionResult result = kelvo::evaluateExpression(device->ValueText, variables);
        if (result.ok()) {
            device->Value = result.value;
            continue;
        }
        device->ValueError = result.error;
        if (!m_reportedTexts.contains(device->ValueText)) {
            m_reportedTexts.insert(device->ValueText);
            kelvo::reportValueTextError({ SectionName, device->SectionName, device->ValueText, result.error });
        }
    }
}
