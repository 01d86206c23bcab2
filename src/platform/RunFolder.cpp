#include "RunFolder.h"

#include "LocalFileNames.h"

#include <QFile>

#include <unistd.h>

namespace kelvo {

namespace {

constexpr int MaxNameAttempts = 100;

bool isSameFolder(const EntryStatus &a, const EntryStatus &b)
{
    return a.kind == EntryKind::Folder && b.kind == EntryKind::Folder && a.device == b.device && a.inode == b.inode;
}

QByteArray markerFileName()
{
    return QFile::encodeName(RunFolder::MarkerName);
}

bool writeMarker(const FolderHandle &folder)
{
    FileDescriptor marker = folder.createFile(markerFileName());
    const QByteArray text = RunFolder::markerText();
    return marker.isValid() && writeAll(marker.get(), text.constData(), text.size()) && marker.close();
}

// The folder carries this program's marker for this user: a regular file, not a link, owned by
// this user, holding exactly the marker text.
bool hasOwnMarker(const FolderHandle &folder)
{
    const EntryStatus status = folder.entryStatus(markerFileName());
    if (status.kind != EntryKind::RegularFile || !status.ownedByCurrentUser)
        return false;
    const FileDescriptor marker = folder.openFile(markerFileName());
    const QByteArray expected = RunFolder::markerText();
    return marker.isValid() && readFileStart(marker.get(), expected.size() + 1) == expected;
}

QByteArray runtimeSubfolderName()
{
    return QFile::encodeName(RunFolder::RuntimeSubfolderName);
}

QByteArray labLinkName()
{
    return QFile::encodeName(RunFolder::LabLinkName);
}

// Removes `name` inside `folder` with everything below it, as deep as `depthLeft` folders: a
// symbolic link is removed itself, never followed. False when anything is left.
bool removeTree(const FolderHandle &folder, const QByteArray &name, int depthLeft)
{
    const EntryStatus seen = folder.entryStatus(name);
    if (seen.kind == EntryKind::Missing)
        return true;
    if (seen.kind != EntryKind::Folder)
        return folder.removeFile(name);
    const FolderHandle inner = folder.openSubfolder(name);
    if (depthLeft <= 0 || !inner.isOpen() || !isSameFolder(inner.status(), seen))
        return false;
    bool allRemoved = true;
    for (const QByteArray &entry : inner.entryNames())
        allRemoved = removeTree(inner, entry, depthLeft - 1) && allRemoved;
    return allRemoved && folder.removeEmptySubfolder(name);
}

// The toolkit keeps few levels of folders in its runtime folder; deeper ones stay for the user.
constexpr int MaxRuntimeDepth = 16;

} // namespace

bool RunFolder::isOwnEntryName(const QString &name)
{
    return name == MarkerName || name == RuntimeSubfolderName || name == LabLinkName;
}

QByteArray RunFolder::markerText()
{
    return QByteArrayLiteral("Kelvo run folder of user ") + QByteArray::number(quint64(::geteuid())) + '\n';
}

QString RunFolder::temporaryFolder()
{
    const QString named = qEnvironmentVariable("TMPDIR");
    return QDir::cleanPath(QDir::current().absoluteFilePath(named.isEmpty() ? QStringLiteral("/tmp") : named));
}

RunFolder::RunFolder(const QString &parentFolder)
{
    // An empty name would be the current directory: never unpack there.
    const QString parentPath = parentFolder.isEmpty() ? temporaryFolder() : QDir(parentFolder).absolutePath();
    const QByteArray prefix = QFile::encodeName(NamePrefix);
    m_intendedPath = QDir(parentPath).filePath(QFile::decodeName(prefix + randomNameSuffix()));
    m_parent = FolderHandle::open(parentPath);
    if (!m_parent.isOpen()) {
        m_error = QStringLiteral("cannot open the temporary folder %1: %2").arg(parentPath, FolderHandle::lastError());
        return;
    }
    for (int attempt = 0; attempt < MaxNameAttempts; ++attempt) {
        const QByteArray name = prefix + randomNameSuffix();
        m_intendedPath = QDir(parentPath).filePath(QFile::decodeName(name));
        if (!m_parent.createSubfolder(name)) {
            if (FolderHandle::lastErrorWasExisting())
                continue;
            m_error = QStringLiteral("cannot create a folder in %1: %2").arg(parentPath, FolderHandle::lastError());
            return;
        }
        // The umask may have taken bits of 0700 away; the owner needs them all, even to open it.
        if (!m_parent.setOwnerOnlyPermissions(name)) {
            m_error = QStringLiteral("cannot set the permissions of a folder in %1: %2")
                          .arg(parentPath, FolderHandle::lastError());
            m_parent.removeEmptySubfolder(name);
            return;
        }
        FolderHandle folder = m_parent.openSubfolder(name);
        if (!folder.isOpen()) {
            m_error = QStringLiteral("cannot open a folder in %1: %2").arg(parentPath, FolderHandle::lastError());
            m_parent.removeEmptySubfolder(name);
            return;
        }
        // Another run's sweep may see the new folder unlocked and remove it before the lock is
        // taken: then the folder this handle holds is no longer the one of that name. Where the
        // file system has no locks, no sweep can take the folder either, so it is safe unlocked.
        if (folder.tryLock() == FolderHandle::LockResult::HeldElsewhere
            || !isSameFolder(folder.status(), m_parent.entryStatus(name)))
            continue;
        const EntryStatus status = folder.status();
        if (!status.ownedByCurrentUser || status.permissions != 0700) {
            m_error = QStringLiteral("the new folder in %1 is not private").arg(parentPath);
            m_parent.removeEmptySubfolder(name);
            return;
        }
        if (!writeMarker(folder)) {
            m_error = QStringLiteral("cannot write in a folder in %1: %2").arg(parentPath, FolderHandle::lastError());
            folder.removeFile(markerFileName());
            m_parent.removeEmptySubfolder(name);
            return;
        }
        m_folder = std::move(folder);
        m_name = name;
        m_path = QDir(parentPath).filePath(QFile::decodeName(name));
        return;
    }
    m_error = QStringLiteral("cannot find a free folder name in %1").arg(parentPath);
}

RunFolder::~RunFolder()
{
    removeIfEmpty();
}

QString RunFolder::makeRuntimeSubfolder()
{
    const QByteArray name = runtimeSubfolderName();
    if (!m_folder.isOpen() || !m_folder.createSubfolder(name))
        return {};
    // The toolkit refuses a runtime folder whose mode is not exactly 0700.
    if (!m_folder.setOwnerOnlyPermissions(name)) {
        m_folder.removeEmptySubfolder(name);
        return {};
    }
    return QDir(m_path).filePath(RuntimeSubfolderName);
}

QString RunFolder::makeLabLink(const QString &folder)
{
    if (!m_folder.isOpen() || !m_folder.createSymbolicLink(labLinkName(), encodeLocalFileName(folder)))
        return {};
    return QDir(m_path).filePath(LabLinkName);
}

bool RunFolder::removeIfEmpty()
{
    if (!m_folder.isOpen())
        return false;
    removeTree(m_folder, runtimeSubfolderName(), MaxRuntimeDepth);
    m_folder.removeFile(labLinkName());
    // The marker stays while anything else is left, so that a later sweep knows the folder.
    const QList<QByteArray> left = m_folder.entryNames();
    if (left == QList<QByteArray> { markerFileName() })
        m_folder.removeFile(markerFileName());
    const bool removed = m_parent.removeEmptySubfolder(m_name);
    m_folder = FolderHandle();
    m_parent = FolderHandle();
    return removed;
}

int RunFolder::sweepStaleRunFolders(const QString &parentFolder)
{
    const FolderHandle parent = FolderHandle::open(parentFolder);
    if (!parent.isOpen())
        return 0;
    const QByteArray prefix = QFile::encodeName(NamePrefix);
    int removed = 0;
    for (const QByteArray &name : parent.entryNames()) {
        if (!name.startsWith(prefix))
            continue;
        const EntryStatus seen = parent.entryStatus(name);
        if (seen.kind != EntryKind::Folder || !seen.ownedByCurrentUser)
            continue;
        // Opened without following a link, and checked to be the folder that lstat saw.
        const FolderHandle folder = parent.openSubfolder(name);
        if (!folder.isOpen() || !isSameFolder(folder.status(), seen) || !hasOwnMarker(folder)
            || folder.tryLock() != FolderHandle::LockResult::Locked)
            continue;
        // The marker goes last, and only when nothing else is left: a folder that cannot be
        // emptied stays known for the next sweep.
        bool othersLeft = false;
        for (const QByteArray &inner : folder.entryNames()) {
            if (inner == markerFileName())
                continue;
            if (inner == runtimeSubfolderName() || inner == labLinkName()) {
                othersLeft = !removeTree(folder, inner, MaxRuntimeDepth) || othersLeft;
                continue;
            }
            if (folder.entryStatus(inner).kind != EntryKind::RegularFile || !folder.removeFile(inner))
                othersLeft = true;
        }
        if (!othersLeft)
            folder.removeFile(markerFileName());
        if (parent.removeEmptySubfolder(name))
            ++removed;
    }
    return removed;
}

} // namespace kelvo
