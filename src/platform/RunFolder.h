#pragma once

#include "FolderHandle.h"

#include <QByteArray>
#include <QDir>
#include <QString>

namespace kelvo {

// The private folder one run of the program unpacks its package into: "vemratmp-XXXXXX" under the
// temporary folder (temporaryFolder(): TMPDIR, or /tmp), with an unpredictable name, created
// atomically with mode 0700, marked as this program's own (a marker file that names the owner),
// and locked for as long as this object lives. A run that was killed leaves its folder unlocked
// behind, and the next run's sweep removes it.
//
// Shutdown: delete the files the extraction reported, then call removeIfEmpty().
class RunFolder final
{
public:
    explicit RunFolder(const QString &parentFolder = temporaryFolder());
    ~RunFolder();
    Q_DISABLE_COPY_MOVE(RunFolder)

    bool isValid() const { return m_folder.isOpen(); }
    // The absolute path of the folder; empty when it could not be made.
    const QString &path() const { return m_path; }
    // Where the folder was to be made (the parent and a fresh name), also when it could not be.
    const QString &intendedPath() const { return m_intendedPath; }
    // Why the folder could not be made.
    const QString &errorString() const { return m_error; }

    // Makes the private (0700) sub-folder for the toolkit's runtime files, for a session without a
    // usable runtime folder of its own, and returns its path (empty when it could not be made).
    // Whatever is written into it goes with the run folder: removeIfEmpty() and the sweep remove
    // it with everything in it, never following a link.
    QString makeRuntimeSubfolder();

    // Makes a symbolic link in the folder to `folder`, whose name is given as
    // decodeLocalFileName gives it, and returns the link's path: a name for a folder that Qt's
    // own file functions cannot open by its own name (bytes that are no UTF-8). Empty when it
    // could not be made. The link goes with the run folder, as the runtime sub-folder does.
    QString makeLabLink(const QString &folder);

    // Removes the runtime sub-folder with what is in it, the lab link, and the folder (and its marker) when
    // nothing else is left in it, and releases the lock in any case, so that a later run's sweep
    // clears what is left. The destructor does this too.
    bool removeIfEmpty();

    // Removes the "vemratmp-*" folders under `parentFolder` whose run has ended: only real folders
    // (never a symbolic link) owned by this user, carrying this program's marker for this user,
    // and locked by no one; a folder of that name that a user made is never touched. Only the
    // regular files directly inside them are deleted, then the folder if that emptied it; links
    // are never followed. Returns the number of folders removed.
    static int sweepStaleRunFolders(const QString &parentFolder = temporaryFolder());

    // The temporary folder: the one TMPDIR names (made absolute), or /tmp when TMPDIR is unset or
    // empty. It may be missing or no folder at all; then no run folder can be made in it, and
    // nothing is made anywhere else instead.
    static QString temporaryFolder();

    static inline const QString NamePrefix = QStringLiteral("vemratmp-");
    // The marker file inside a run's folder, and what it holds for the user running this program.
    // The extraction never writes a package's entry of this name.
    static inline const QString MarkerName = QStringLiteral(".kelvo-run-folder");
    static QByteArray markerText();
    static inline const QString RuntimeSubfolderName = QStringLiteral(".runtime");
    static inline const QString LabLinkName = QStringLiteral(".lab");
    // The names of the entries the program makes in a run folder itself (the marker, the runtime
    // sub-folder, the lab link): the extraction never writes a package's entry of these names.
    static bool isOwnEntryName(const QString &name);

private:
    FolderHandle m_parent;
    FolderHandle m_folder;
    QByteArray m_name;
    QString m_path;
    QString m_intendedPath;
    QString m_error;
};

} // namespace kelvo
