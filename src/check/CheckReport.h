#pragma once

#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>

// What the package checker found: one finding per problem, each at a place in a file of the lab
// work, as a compiler reports ("labwork.lbw:12: error: ...").
namespace kelvo::check {

enum class Level { Error, Warning };

struct Finding
{
    QString file; // as the author knows it: the package's entry name, or the path relative to
                  // the descriptor's folder, with "/"
    int line = 0; // counted from 1; 0 when the finding is about the file as a whole
    Level level = Level::Error;
    QString code; // a stable English code for tools ("unknown-type")
    QString message; // for the author, in the program's language

    bool operator==(const Finding &) const = default;
};

class CheckReport final
{
public:
    // A finding equal to one already reported is not repeated.
    void add(Finding finding);
    void error(const QString &file, int line, const QString &code, const QString &message);
    void warning(const QString &file, int line, const QString &code, const QString &message);

    // The findings sorted by file (the descriptor first) and line; equal places keep the order
    // in which they were found.
    QList<Finding> findings() const;
    int errorCount() const;
    int warningCount() const;

    // The file that sorts first.
    void setDescriptorName(const QString &name) { m_descriptor = name; }

private:
    QList<Finding> m_findings;
    QSet<QString> m_seen; // file, line, code and message of each finding
    QString m_descriptor;
};

// "file:line: level: message", or "file: level: message" without a line.
QString formatFinding(const Finding &finding);
// "Ошибок: 1, предупреждений: 2"
QString formatSummary(const CheckReport &report);
// {"findings": [{"file", "line", "level", "code", "message"}...], "errors": n, "warnings": m};
// "line" is left out when the finding has none.
QJsonObject reportToJson(const CheckReport &report);

} // namespace kelvo::check
