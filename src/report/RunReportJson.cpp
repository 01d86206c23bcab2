#include "RunReportJson.h"

#include "Localization.h"
#include "RunRecord.h"

#include <QJsonArray>

namespace kelvo {

namespace {

QString isoTime(const QDateTime &time)
{
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

QJsonObject checkToJson(const RunRecord::Check &check)
{
    return QJsonObject {
        { QStringLiteral("right"), check.right },
        { QStringLiteral("total"), check.total },
        { QStringLiteral("percent"), check.percent },
        { QStringLiteral("time"), isoTime(check.time) },
    };
}

QJsonObject chapterToJson(int index, const RunRecord::Chapter &chapter)
{
    QJsonArray checks;
    for (const RunRecord::Check &check : chapter.checks)
        checks.append(checkToJson(check));
    return QJsonObject {
        { QStringLiteral("index"), index },
        { QStringLiteral("title"), chapter.title },
        { QStringLiteral("kind"), chapter.kind },
        { QStringLiteral("opened"), chapter.opened },
        { QStringLiteral("passed"), chapter.passed },
        { QStringLiteral("attempts"), int(chapter.checks.size()) },
        { QStringLiteral("checks"), checks },
    };
}

QJsonValue studentToJson(const StudentIdentity &student)
{
    if (!student.isKnown())
        return QJsonValue::Null;
    return QJsonObject {
        { QStringLiteral("name"), student.name },
        { QStringLiteral("group"), student.group.isEmpty() ? QJsonValue(QJsonValue::Null) : student.group },
    };
}

} // namespace

QJsonObject runReportToJson(const RunRecord &record, const QDateTime &written, bool finished)
{
    QJsonArray chapters;
    for (qsizetype i = 0; i < record.chapters().size(); ++i)
        chapters.append(chapterToJson(int(i), record.chapters().at(i)));
    return QJsonObject {
        { QStringLiteral("format"), QStringLiteral("kelvo-run-report") },
        { QStringLiteral("version"), 1 },
        { QStringLiteral("program"), Texts::ApplicationTitle },
        { QStringLiteral("labWork"),
            QJsonObject {
                { QStringLiteral("title"), record.labTitle() },
                { QStringLiteral("author"), record.author() },
                { QStringLiteral("package"), record.packagePath() },
            } },
        { QStringLiteral("student"), studentToJson(record.student()) },
        { QStringLiteral("user"), record.userName() },
        { QStringLiteral("started"), isoTime(record.started()) },
        { QStringLiteral("written"), isoTime(written) },
        { QStringLiteral("finished"), finished },
        { QStringLiteral("chapters"), chapters },
    };
}

} // namespace kelvo
