#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace kelvo {

class RunRecord;

// The folder a classroom collects reports in (kelvo --report DIR): after every check and at the
// end the run's report is written there as PDF and JSON, so that a crash or a killed program
// loses nothing already checked. The files are named after the lab work, the start time and the
// user, and never replace another run's files.
class ReportFolder final
{
public:
    // A folder that exists and can be written to; otherwise nothing, with `error` saying why.
    static std::optional<ReportFolder> open(const QString &path, QString *error);

    // Writes (or rewrites) this run's two files; false with `error` set when that fails.
    bool write(const RunRecord &record, const QDateTime &written, bool finished, QString *error);

    const QString &path() const { return m_path; }
    // The path of this run's files without their extension; empty before the first write.
    const QString &baseName() const { return m_baseName; }

private:
    explicit ReportFolder(const QString &path);
    bool reserveBaseName(const RunRecord &record, QString *error);

    QString m_path;
    QString m_baseName;
};

// A part of a report's file name: letters, digits and a few safe signs of the first `maxLength`
// characters of `text`; anything else (separators, quotes, control characters) becomes "_", so that a
// title cannot name another folder or a hidden file. Never empty.
QString fileNamePart(const QString &text, qsizetype maxLength);

// The environment variable that sets the report folder when no --report is given (for a desktop
// launcher that cannot change the command line).
inline constexpr const char *ReportFolderVariable = "KELVO_REPORT_DIR";

} // namespace kelvo
