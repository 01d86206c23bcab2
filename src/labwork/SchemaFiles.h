#pragma once

#include <QHash>
#include <QString>

#include <memory>

class TIniFile;

namespace kelvo {

// The schema files that one load of a lab work reads. A file that many experiments name is read
// and parsed once and shared, read-only, by all of them. All files together are bounded: one that
// would take the load past MaxTotalBytes reads as too large, as a file beyond the size limit of
// one INI file does (no sections; TIniFile::TooLarge()).
class SchemaFiles final
{
public:
    // A parsed schema takes many times its bytes in memory (a line "a=b" about a hundred).
    static constexpr qint64 MaxTotalBytes = 8 * 1024 * 1024;

    SchemaFiles() = default;
    Q_DISABLE_COPY_MOVE(SchemaFiles)

    // The reader of the file at `path` as the lab folder resolved it; an empty path, or a file
    // that is not there, reads as a file without sections.
    std::shared_ptr<const TIniFile> open(const QString &path);

private:
    QHash<QString, std::shared_ptr<const TIniFile>> m_files; // by the file's real path
    qint64 m_bytes = 0;
};

} // namespace kelvo
