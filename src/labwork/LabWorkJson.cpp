#include "LabWorkJson.h"

#include "ExperimentChapter.h"
#include "InfoChapter.h"
#include "LabWork.h"
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
    json.insert(QStringLiteral("Document"), chapter.Document);
}

void addExamination(QJsonObject &json, const TTaskChapter &chapter)
{
    json.insert(QStringLiteral("Answers"), QJsonArray::fromStringList(chapter.Answers));
    json.insert(QStringLiteral("Questions"), chapter.Questions);
    json.insert(QStringLiteral("Heading"), chapter.Heading);
    json.insert(QStringLiteral("Attempts"), chapter.Attempts);
    json.insert(QStringLiteral("MessageStyle"), chapter.MessageStyle);
    json.insert(QStringLiteral("AttemptCount"), chapter.AttemptCount);
    json.insert(QStringLiteral("RightCount"), chapter.RightCount);
}

QJsonObject deviceToJson(const TSchemaDevice &device)
{
    QJsonObject json;
    json.insert(QStringLiteral("Class"), device.ClassName());
    json.insert(QStringLiteral("SectionName"), device.SectionName);
    json.insert(QStringLiteral("Title"), device.Title);
    json.insert(QStringLiteral("Unit"), device.Unit);
    json.insert(QStringLiteral("Value"), device.Value);
    json.insert(QStringLiteral("Left"), device.Left);
    json.insert(QStringLiteral("Top"), device.Top);
    json.insert(QStringLiteral("Width"), device.Width);
    json.insert(QStringLiteral("Height"), device.Height);
    if (const auto *measurement = dynamic_cast<const TMeasurementDevice *>(&device)) {
        json.insert(QStringLiteral("ValueText"), measurement->ValueText);
    } else if (const auto *passive = dynamic_cast<const TPassiveDevice *>(&device)) {
        json.insert(QStringLiteral("Identifier"), passive->Identifier);
        json.insert(QStringLiteral("Min"), passive->Min);
        json.insert(QStringLiteral("Max"), passive->Max);
        json.insert(QStringLiteral("Ajustable"), passive->Ajustable);
    } else if (const auto *area = dynamic_cast<const TAreaDevice *>(&device)) {
        json.insert(QStringLiteral("Hint"), area->Hint);
    }
    return json;
}

QJsonObject variantToJson(const TSchemeVariant &variant)
{
    QJsonObject json;
    json.insert(QStringLiteral("SectionName"), variant.SectionName);
    json.insert(QStringLiteral("Title"), variant.Title);
    json.insert(QStringLiteral("ImageFile"), variant.ImageFile);
    json.insert(QStringLiteral("Values"), QJsonArray::fromStringList(variant.Values));
    return json;
}

void addExperiment(QJsonObject &json, const TExperimentChapter &chapter)
{
    json.insert(QStringLiteral("SchemaFile"), chapter.SchemaFile);
    json.insert(QStringLiteral("SchemaTitle"), chapter.SchemaTitle);
    json.insert(QStringLiteral("ImageFile"), chapter.ImageFile);
    json.insert(QStringLiteral("LinkedChapter"), int(chapter.LinkedChapter));
    json.insert(QStringLiteral("StartFrom"), chapter.StartFrom);
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
    json.insert(QStringLiteral("Title"), chapter->Title);
    json.insert(QStringLiteral("Identifier"), int(chapter->Identifier));
    json.insert(QStringLiteral("RequiredChapters"), identifiers(chapter->RequiredChapters));
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
    json.insert(QStringLiteral("Title"), labWork.Title);
    json.insert(QStringLiteral("Author"), labWork.Author);
    json.insert(QStringLiteral("Description"), labWork.Description);
    json.insert(QStringLiteral("CurrentIndex"), labWork.CurrentIndex);
    json.insert(QStringLiteral("ReturnIndex"), labWork.ReturnIndex);
    QJsonArray chapters;
    for (int i = 0; i < labWork.Chapters().Count(); ++i)
        chapters.append(chapterToJson(labWork, i));
    json.insert(QStringLiteral("Chapters"), chapters);
    return json;
}

} // namespace kelvo
