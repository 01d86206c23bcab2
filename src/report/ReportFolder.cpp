#include "ReportFolder.h"

#include "Localization.h"
#include "RunRecord.h"
#include "RunReportDocument.h"
#include "RunReportJson.h"
#include "TextFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTemporaryFile>

namespace kelvo {

QString fileNamePart(const QString &text, qsizetype maxLength)
{
    QString part;
    for (const QChar c : text.left(maxLength)) {
        const bool safe = c.isLetterOrNumber() || c == u'-' || c == u'.';
        part += safe ? c : u'_';
    }
    while (part.startsWith(u'.'))
        part.remove(0, 1);
    return part.isEmpty() ? QStringLiteral("labwork") : part;
}

ReportFolder::ReportFolder(const QString &path)
    : m_path(path)
{
}

std::optional<ReportFolder> ReportFolder::open(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.isDir()) {
        if (error)
            *error = info.exists() ? Texts::ReportNotAFolder : Texts::ReportNoSuchFolder;
        return std::nullopt;
    }
    // Permissions alone do not tell (a read-only mount, root's rights): a real file is made.
    QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".kelvo-probe-XXXXXX")));
    if (!probe.open()) {
        if (error)
            *error = format(Texts::ReportCannotCreate, { probe.errorString() });
        return std::nullopt;
    }
    return ReportFolder(info.absoluteFilePath());
}

bool ReportFolder::reserveBaseName(const RunRecord &record, QString *error)
{
    const QString title = record.labTitle().trimmed().isEmpty() ? QFileInfo(record.packagePath()).completeBaseName()
                                                                : record.labTitle();
    // The student's name where it is known: a classroom's computers often share one account.
    const QString who = record.student().isKnown() ? record.student().name : record.userName();
    const QString stem = fileNamePart(title, 60) + u'_'
        + record.started().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) + u'_' + fileNamePart(who, 32);
    const QDir folder(m_path);
    // The JSON file is created exclusively: two runs started in the same second by the same user
    // get different names instead of one replacing the other's.
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QString base = folder.filePath(attempt == 1 ? stem : stem + u'-' + QString::number(attempt));
        if (QFileInfo::exists(base + QStringLiteral(".pdf")))
            continue;
        QFile json(base + QStringLiteral(".json"));
        if (json.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_baseName = base;
            return true;
        }
        if (json.exists())
            continue;
        if (error)
            *error = json.errorString();
        return false;
    }
    if (error)
        *error = QStringLiteral("too many reports of this run's name");
    return false;
}

bool ReportFolder::write(const RunRecord &record, const QDateTime &written, bool finished, QString *error)
{
    if (m_baseName.isEmpty() && !reserveBaseName(record, error))
        return false;
    QSaveFile json(m_baseName + QStringLiteral(".json"));
    const QByteArray bytes = QJsonDocument(runReportToJson(record, written, finished)).toJson(QJsonDocument::Indented);
    if (!json.open(QIODevice::WriteOnly) || json.write(bytes) != bytes.size() || !json.commit()) {
        if (error)
            *error = json.errorString();
        return false;
    }
    return writeRunReportPdf(record, written, m_baseName + QStringLiteral(".pdf"), error);
}

} // namespace kelvo
