#include "RunReportJson.h"

#include "LocalFileNames.h"
#include "Localization.h"
#include "RunRecord.h"

#include <QJsonArray>

namespace kelvo {

namespace {

// The path as a file URL of its bytes, percent-encoded: every byte of a name that is not UTF-8
// survives, in plain ASCII.
QString fileUrl(const QString &path)
{
    return QStringLiteral("file://") + QString::fromLatin1(encodeLocalFileName(path).toPercentEncoding("/"));
}

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
        { QStringLiteral("title"), withoutLoneSurrogates(chapter.title) },
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
        { QStringLiteral("name"), withoutLoneSurrogates(student.name) },
        { QStringLiteral("group"),
            student.group.isEmpty() ? QJsonValue(QJsonValue::Null) : withoutLoneSurrogates(student.group) },
    };
}

} // namespace

// Every text goes through withoutLoneSurrogates: JSON is UTF-8, and a name taken from the file
// system or the command line may keep bytes that are not UTF-8 as lone surrogates.
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
                { QStringLiteral("title"), withoutLoneSurrogates(record.labTitle()) },
                { QStringLiteral("author"), withoutLoneSurrogates(record.author()) },
                { QStringLiteral("package"), withoutLoneSurrogates(record.packagePath()) },
                { QStringLiteral("packageUrl"), fileUrl(record.packagePath()) },
                { QStringLiteral("sha256"),
                    record.labWorkDigest().isEmpty() ? QJsonValue() : QJsonValue(record.labWorkDigest()) },
            } },
        { QStringLiteral("student"), studentToJson(record.student()) },
        { QStringLiteral("user"), withoutLoneSurrogates(record.userName()) },
        { QStringLiteral("started"), isoTime(record.started()) },
        { QStringLiteral("written"), isoTime(written) },
        { QStringLiteral("finished"), finished },
        { QStringLiteral("chapters"), chapters },
    };
}

} // namespace kelvo
