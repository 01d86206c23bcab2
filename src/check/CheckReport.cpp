#include "CheckReport.h"

#include "CheckTexts.h"
#include "TextFormat.h"

#include <QJsonArray>

#include <algorithm>
#include <limits>

namespace kelvo::check {

namespace {

// How many findings are remembered to leave out their repetitions; past that, counting goes on
// without.
constexpr qsizetype MostRemembered = 1'000'000;

} // namespace

CheckReport::Kind &CheckReport::kindOf(const QString &file, const QString &code)
{
    return m_kinds[{ file, code }];
}

void CheckReport::add(Finding finding)
{
    const size_t key = qHashMulti(0, finding.file, finding.line, finding.code, finding.message);
    if (m_seen.contains(key))
        return;
    if (m_seen.size() < MostRemembered)
        m_seen.insert(key);
    Kind &kind = kindOf(finding.file, finding.code);
    if (kind.shown >= MostShownOfKind) {
        addUnshown(finding.file, finding.code, finding.level, 1);
        return;
    }
    ++kind.shown;
    kind.lastLine = finding.line;
    kind.level = finding.level;
    m_findings.append(std::move(finding));
}

void CheckReport::addUnshown(const QString &file, const QString &code, Level level, qint64 count)
{
    if (count <= 0)
        return;
    Kind &kind = kindOf(file, code);
    kind.unshown += count;
    if (kind.shown == 0)
        kind.level = level;
    (level == Level::Error ? m_unshownErrors : m_unshownWarnings) += count;
}

bool CheckReport::shows(const QString &file, const QString &code) const
{
    return m_kinds.value({ file, code }).shown < MostShownOfKind;
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
    for (auto it = m_kinds.cbegin(); it != m_kinds.cend(); ++it) {
        if (it->unshown > 0) {
            sorted.append({ it.key().first, it->lastLine, it->level, it.key().second,
                format(CheckTexts::MoreOfKind, { it->unshown }) });
        }
    }
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
    const qint64 shown = std::count_if(
        m_findings.cbegin(), m_findings.cend(), [](const Finding &finding) { return finding.level == Level::Error; });
    return int(std::min<qint64>(shown + m_unshownErrors, std::numeric_limits<int>::max()));
}

int CheckReport::warningCount() const
{
    const qint64 shown = std::count_if(
        m_findings.cbegin(), m_findings.cend(), [](const Finding &finding) { return finding.level == Level::Warning; });
    return int(std::min<qint64>(shown + m_unshownWarnings, std::numeric_limits<int>::max()));
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
