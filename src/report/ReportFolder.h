#pragma once

#include "FolderHandle.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace kelvo {

// The folder a classroom collects reports in (kelvo --report DIR): after every check and at the
// end the run's report is written there as PDF and JSON, so that a crash or a killed program
// loses nothing already checked. The files are named after the lab work, the start time and the
// user, and never replace another run's files.
//
// The folder may be shared by every pupil (mode 1777, or 3733 so that no one lists it): each file
// is created inside it through the folder's handle, never through a link, and a rewrite replaces
// only the file this run put there. The files are readable by their owner only, and by the
// folder's group when the folder has the set-group-ID bit (the teacher's group).
//
// Used by one thread at a time; it touches no widget, so the writing may move to a worker thread.
class ReportFolder final
{
public:
    // A folder that exists and can be written to; otherwise nothing, with `error` saying why.
    static std::optional<ReportFolder> open(const QString &path, QString *error);

    // Writes (or rewrites) this run's two files, named after `fileStem` (reportFileStem); false
    // with `error` set to the reason when that fails.
    bool write(const QString &fileStem, const QByteArray &json, const QByteArray &pdf, QString *error);

    const QString &path() const { return m_path; }
    // The path of this run's files without their extension; empty before the first write.
    QString baseName() const;
    // The mode of the files this run creates.
    unsigned filePermissions() const { return m_permissions; }

private:
    // One of the run's files: the device and inode of what this run last put at its name. The
    // file is kept open, so that its inode cannot be freed and given to a file someone else
    // creates at the name.
    struct OwnFile
    {
        QByteArray name;
        FileDescriptor file;
        quint64 device = 0;
        quint64 inode = 0;
    };
    enum class Outcome { Written, Replaced, Failed };

    ReportFolder(FolderHandle folder, const QString &path, unsigned permissions);
    bool reserveBaseName(const QString &fileStem, QString *error);
    static bool identify(OwnFile &file, FileDescriptor descriptor);
    bool isOwn(const OwnFile &file) const;
    void removeIfOwn(const OwnFile &file) const;
    Outcome replace(OwnFile &file, const QByteArray &bytes, QString *error);

    FolderHandle m_folder;
    QString m_path;
    unsigned m_permissions;
    QString m_stem;
    QString m_baseName;
    OwnFile m_json;
    OwnFile m_pdf;
};

// The environment variable that sets the report folder when no --report is given (for a desktop
// launcher that cannot change the command line).
inline constexpr const char *ReportFolderVariable = "KELVO_REPORT_DIR";

} // namespace kelvo
