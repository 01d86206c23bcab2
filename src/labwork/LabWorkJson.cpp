#include "LabWorkJson.h"

#include "ExperimentChapter.h"
#include "InfoChapter.h"
#include "LabWork.h"
#include "LabWorkKeys.h"
#include "TaskChapter.h"

#include <QJsonArray>

namespace kelvo {

namespace {

QJsonArray identifiers(const QByteArray &bytes)
{
    QJsonArray list;
    for (const char b : bytes)
        list.append(int(quint8(b)));
    return list;
}

void addInformation(QJsonObject &json, const TInfoChapter &chapter)
{
    json.insert(keys::information::Document.name, chapter.Document);
}

void addExamination(QJsonObject &json, const TTaskChapter &chapter)
{
    json.insert(QStringLiteral("Answers"), QJsonArray::fromStringList(chapter.Answers));
    json.insert(keys::examination::Questions.name, chapter.Questions);
    json.insert(keys::examination::Heading.name, chapter.Heading);
    json.insert(keys::examination::Attempts.name, chapter.Attempts);
    json.insert(keys::examination::MessageStyle.name, chapter.MessageStyle);
    json.insert(QStringLiteral("AttemptCount"), chapter.AttemptCount);
    json.insert(QStringLiteral("RightCount"), chapter.RightCount);
}

QJsonObject deviceToJson(const TSchemaDevice &device)
{
    QJsonObject json;
    json.insert(keys::device::Class.name, device.ClassName());
    json.insert(QStringLiteral("SectionName"), device.SectionName);
    json.insert(keys::device::Title.name, device.Title);
    json.insert(keys::device::Unit.name, device.Unit);
    json.insert(keys::passive::Value.name, device.Value);
    json.insert(keys::device::Left.name, device.Left);
    json.insert(keys::device::Top.name, device.Top);
    json.insert(keys::device::Width.name, device.Width);
    json.insert(keys::device::Height.name, device.Height);
    if (const auto *measurement = dynamic_cast<const TMeasurementDevice *>(&device)) {
        json.insert(QStringLiteral("ValueText"), measurement->ValueText);
    } else if (const auto *passive = dynamic_cast<const TPassiveDevice *>(&device)) {
        json.insert(keys::passive::Identifier.name, passive->Identifier);
        json.insert(keys::passive::Min.name, passive->Min);
        json.insert(keys::passive::Max.name, passive->Max);
        json.insert(keys::passive::Ajustable.name, passive->Ajustable);
    } else if (const auto *area = dynamic_cast<const TAreaDevice *>(&device)) {
        json.insert(keys::area::Hint.name, area->Hint);
    }
    return json;
}

QJsonObject variantToJson(const TSchemeVariant &variant)
{
    QJsonObject json;
    json.insert(QStringLiteral("SectionName"), variant.SectionName);
    json.insert(keys::variant::Title.name, variant.Title);
    json.insert(keys::variant::ImageFile.name, variant.ImageFile);
    json.insert(QStringLiteral("Values"), QJsonArray::fromStringList(variant.Values));
    return json;
}

void addExperiment(QJsonObject &json, const TExperimentChapter &chapter)
{
    json.insert(keys::experiment::SchemaFile.name, chapter.SchemaFile);
    json.insert(QStringLiteral("SchemaTitle"), chapter.SchemaTitle);
    json.insert(keys::schema::ImageFile.name, chapter.ImageFile);
    json.insert(keys::experiment::LinkedChapter.name, int(chapter.LinkedChapter));
    json.insert(keys::schema::StartFrom.name, chapter.StartFrom);
    json.insert(QStringLiteral("CurrentVariant"), chapter.CurrentVariant);
    QJsonArray devices;
    for (int i = 0; i < chapter.Devices.Count(); ++i)
        devices.append(deviceToJson(*chapter.Devices.Device(i)));
    json.insert(QStringLiteral("Devices"), devices);
    QJsonArray variants;
    for (int i = 0; i < chapter.Variants.Count(); ++i)
        variants.append(variantToJson(*chapter.Variants.Variant(i)));
    json.insert(QStringLiteral("Variants"), variants);
}

} // namespace

QJsonObject chapterToJson(const TLabWork &labWork, int index)
{
    const TChapter *chapter = labWork.Chapters().Items(index);
    QJsonObject json;
    json.insert(QStringLiteral("Class"), chapter->ClassName());
    json.insert(QStringLiteral("SectionName"), chapter->SectionName);
    json.insert(keys::chapter::Title.name, chapter->Title);
    json.insert(keys::chapter::Identifier.name, int(chapter->Identifier));
    json.insert(keys::chapter::RequiredChapters.name, identifiers(chapter->RequiredChapters));
    json.insert(QStringLiteral("Passed"), chapter->Passed);
    json.insert(QStringLiteral("CanOpen"), labWork.CanOpen(index));
    if (const auto *info = dynamic_cast<const TInfoChapter *>(chapter))
        addInformation(json, *info);
    else if (const auto *task = dynamic_cast<const TTaskChapter *>(chapter))
        addExamination(json, *task);
    else if (const auto *experiment = dynamic_cast<const TExperimentChapter *>(chapter))
        addExperiment(json, *experiment);
    return json;
}

QJsonObject labWorkToJson(const TLabWork &labWork)
{
    QJsonObject json;
    json.insert(keys::header::Title.name, labWork.Title);
    json.insert(keys::header::Author.name, labWork.Author);
    json.insert(keys::header::Description.name, labWork.Description);
    json.insert(QStringLiteral("CurrentIndex"), labWork.CurrentIndex);
    json.insert(QStringLiteral("ReturnIndex"), labWork.ReturnIndex);
    QJsonArray chapters;
    for (int i = 0; i < labWork.Chapters().Count(); ++i)
        chapters.append(chapterToJson(labWork, i));
    json.insert(QStringLiteral("Chapters"), chapters);
    return json;
}

} // namespace kelvo
