#include "CheckReport.h"

#include "CheckTexts.h"
#include "TextFormat.h"

#include <QJsonArray>

#include <algorithm>

namespace kelvo::check {

void CheckReport::add(Finding finding)
{
    const QString key = finding.file + QChar(0) + QString::number(finding.line) + QChar(0) + finding.code + QChar(0)
        + finding.message;
    if (m_seen.contains(key))
        return;
    m_seen.insert(key);
    m_findings.append(std::move(finding));
}

void CheckReport::error(const QString &file, int line, const QString &code, const QString &message)
{
    add({ file, line, Level::Error, code, message });
}

void CheckReport::warning(const QString &file, int line, const QString &code, const QString &message)
{
    add({ file, line, Level::Warning, code, message });
}

QList<Finding> CheckReport::findings() const
{
    QList<Finding> sorted = m_findings;
    std::stable_sort(sorted.begin(), sorted.end(), [this](const Finding &a, const Finding &b) {
        const bool aFirst = a.file == m_descriptor;
        const bool bFirst = b.file == m_descriptor;
        if (aFirst != bFirst)
            return aFirst;
        if (a.file != b.file)
            return a.file < b.file;
        return a.line < b.line;
    });
    return sorted;
}

int CheckReport::errorCount() const
{
    return int(std::count_if(
        m_findings.cbegin(), m_findings.cend(), [](const Finding &finding) { return finding.level == Level::Error; }));
}

int CheckReport::warningCount() const
{
    return int(m_findings.size()) - errorCount();
}

namespace {

const QString &levelWord(Level level)
{
    return level == Level::Error ? CheckTexts::LevelError : CheckTexts::LevelWarning;
}

} // namespace

QString formatFinding(const Finding &finding)
{
    QString place = finding.file;
    if (finding.line > 0)
        place += QLatin1Char(':') + QString::number(finding.line);
    return place + QStringLiteral(": ") + levelWord(finding.level) + QStringLiteral(": ") + finding.message;
}

QString formatSummary(const CheckReport &report)
{
    return format(CheckTexts::Summary, { qint64(report.errorCount()), qint64(report.warningCount()) });
}

QJsonObject reportToJson(const CheckReport &report)
{
    QJsonArray findings;
    for (const Finding &finding : report.findings()) {
        QJsonObject json;
        json.insert(QStringLiteral("file"), finding.file);
        if (finding.line > 0)
            json.insert(QStringLiteral("line"), finding.line);
        json.insert(QStringLiteral("level"), levelWord(finding.level));
        json.insert(QStringLiteral("code"), finding.code);
        json.insert(QStringLiteral("message"), finding.message);
        findings.append(json);
    }
    QJsonObject json;
    json.insert(QStringLiteral("findings"), findings);
    json.insert(QStringLiteral("errors"), report.errorCount());
    json.insert(QStringLiteral("warnings"), report.warningCount());
    return json;
}

} // namespace kelvo::check
