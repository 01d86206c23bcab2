#include "LabWorkJson.h"

#include "uExperimentChapter.h"
#include "uInfoChapter.h"
#include "uLabWork.h"
#include "uTaskChapter.h"

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
    json.insert(QStringLiteral("Questions"), chapter.Questions);
    json.insert(QStringLiteral("Heading"), chapter.Heading);
    json.insert(QStringLiteral("Attempts"), chapter.Attempts);
    json.insert(QStringLiteral("MessageStyle"), chapter.MessageStyle);
    json.insert(QStringLiteral("AttemptCount"), chapter.AttemptCount);
    json.insert(QStringLiteral("RightCount"), chapter.RightCount);
}

void addExperiment(QJsonObject &json, const TExperimentChapter &chapter)
{
    json.insert(QStringLiteral("SchemaFile"), chapter.SchemaFile);
    json.insert(QStringLiteral("LinkedChapter"), int(chapter.LinkedChapter));
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
