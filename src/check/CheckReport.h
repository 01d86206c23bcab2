#pragma once

#include <QHash>
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

// A package may hold millions of one mistake: findings of one kind (code) in one file are shown
// up to MostShownOfKind, and the rest are counted, so that a report stays readable and its size
// bounded.
class CheckReport final
{
public:
    static constexpr int MostShownOfKind = 10;

    // A finding equal to one already reported is not repeated.
    void add(Finding finding);
    void error(const QString &file, int line, const QString &code, const QString &message);
    void warning(const QString &file, int line, const QString &code, const QString &message);
    // Counts findings of a kind that are not shown one by one, such as a run of missing questions.
    void addUnshown(const QString &file, const QString &code, Level level, qint64 count);

    // Whether the next finding of this kind in this file is shown: a message that takes work to
    // make (a suggestion) need not be made when it is not.
    bool shows(const QString &file, const QString &code) const;

    // The findings sorted by file (the descriptor first) and line; equal places keep the order
    // in which they were found. After the last shown finding of a kind, one finding tells how many
    // more of it there are.
    QList<Finding> findings() const;
    // Every error and warning found, shown or counted.
    int errorCount() const;
    int warningCount() const;

    // The file that sorts first.
    void setDescriptorName(const QString &name) { m_descriptor = name; }

private:
    struct Kind
    {
        int shown = 0;
        int lastLine = 0;
        qint64 unshown = 0;
        Level level = Level::Error;
    };
    Kind &kindOf(const QString &file, const QString &code);

    QList<Finding> m_findings;
    QSet<size_t> m_seen; // a hash of file, line, code and message of each finding
    QHash<std::pair<QString, QString>, Kind> m_kinds; // by file and code
    qint64 m_unshownErrors = 0;
    qint64 m_unshownWarnings = 0;
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
