#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>

namespace kelvo {

// An open file descriptor, closed when its owner goes.
class FileDescriptor final
{
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int descriptor)
        : m_descriptor(descriptor)
    {
    }
    ~FileDescriptor();
    FileDescriptor(FileDescriptor &&other) noexcept;
    FileDescriptor &operator=(FileDescriptor &&other) noexcept;
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    bool isValid() const { return m_descriptor >= 0; }
    int get() const { return m_descriptor; }
    // Gives up ownership without closing.
    int release();
    // Closes now; false when the system reports an error (written data may be lost).
    bool close();

private:
    int m_descriptor = -1;
};

enum class EntryKind { Missing, RegularFile, Folder, Other };

// What lstat tells of an entry: a symbolic link is Other, never what it points to.
struct EntryStatus
{
    EntryKind kind = EntryKind::Missing;
    bool ownedByCurrentUser = false;
    quint64 device = 0;
    quint64 inode = 0;
    unsigned permissions = 0; // the nine rwx bits
    bool setGroupId = false; // for a folder: new entries take the folder's group
};

// A folder opened by descriptor. Every entry is named relative to it and no operation follows a
// symbolic link inside it, so neither a planted link nor a renamed parent can redirect a write
// or a removal. Names are the file system's bytes (QFile::encodeName).
class FolderHandle final
{
public:
    FolderHandle() = default;

    // Opens the folder at `path` (links in the path are followed: the caller chose the path).
    static FolderHandle open(const QString &path);
    // Opens a folder to create entries in, which the caller may be allowed neither to list nor to
    // read (a classroom's drop folder of mode 3733): the calls on its entries and status() work,
    // entryNames() and tryLock() do not.
    static FolderHandle openForCreating(const QString &path);
    // Opens a folder inside this one; a symbolic link is refused.
    FolderHandle openSubfolder(const QByteArray &name) const;

    bool isOpen() const { return m_descriptor.isValid(); }
    // The text of the last system error of a failed call on this thread.
    static QString lastError();

    EntryStatus status() const;
    EntryStatus entryStatus(const QByteArray &name) const;
    // The names inside the folder, without "." and "..", in no particular order.
    QList<QByteArray> entryNames() const;

    // Opens a regular file inside this one for reading; a symbolic link, FIFO or folder is refused.
    FileDescriptor openFile(const QByteArray &name) const;
    // Creates (or truncates) a regular file for writing with mode 0600; a symbolic link or a
    // folder of that name is an error.
    FileDescriptor createFile(const QByteArray &name) const;
    // Creates a regular file of a name that exists in no form (a link, even a dangling one, is an
    // existing name) and gives it exactly `permissions`, whatever the umask.
    FileDescriptor createNewFile(const QByteArray &name, unsigned permissions) const;
    // Creates a new file as createNewFile does, named `prefix` and six random letters or digits;
    // its name is put in `name`.
    FileDescriptor createTemporaryFile(const QByteArray &prefix, unsigned permissions, QByteArray *name) const;
    // Renames an entry within this folder; an entry named `to` is replaced (a link, not what it
    // points to).
    bool renameEntry(const QByteArray &from, const QByteArray &to) const;
    // Creates a folder with mode 0700 (less when the umask takes bits away); fails when the
    // name exists, whatever it is.
    bool createSubfolder(const QByteArray &name) const;
    // Creates a symbolic link to `target` (bytes, not looked at); fails when the name exists.
    bool createSymbolicLink(const QByteArray &name, const QByteArray &target) const;
    // True when the creation failed because the name exists.
    static bool lastErrorWasExisting();
    // True when a creation or a write failed for want of room: no space or inodes left, a quota,
    // or the process's limit on file sizes.
    static bool lastErrorWasNoRoom();
    bool removeFile(const QByteArray &name) const;
    bool removeEmptySubfolder(const QByteArray &name) const;

    // Gives an entry mode 0700 (a symbolic link is refused).
    bool setOwnerOnlyPermissions(const QByteArray &name) const;
    enum class LockResult { Locked, HeldElsewhere, Unsupported };
    // An exclusive advisory lock on the folder itself, held until the handle is closed. Another
    // open handle (of this or another process) may hold it; some network file systems have none.
    LockResult tryLock() const;
    // Bytes that an unprivileged user may still write on the folder's file system.
    std::optional<quint64> freeBytes() const;

private:
    explicit FolderHandle(FileDescriptor descriptor)
        : m_descriptor(std::move(descriptor))
    {
    }

    FileDescriptor m_descriptor;
};

// Writes all of `size` bytes, going on after short writes and interruptions.
bool writeAll(int descriptor, const char *data, qint64 size);

// Makes what was written to an open file durable (fsync).
bool syncFile(int descriptor);

// Six letters or digits drawn from the system's random source, as QTemporaryDir does: 62^6 names.
QByteArray randomNameSuffix();

// Opens a regular file for reading; a FIFO, device or folder is refused without blocking. The
// path's bytes are those of encodeLocalFileName, so that any name given on the command line opens.
FileDescriptor openRegularFileForReading(const QString &path);

// Which file an open descriptor reads, and its size: two descriptors of equal identities read the
// same file, at the same size.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    quint64 size = 0;
    bool operator==(const FileIdentity &) const = default;
};

// The identity of an open file; nothing when the system cannot tell.
std::optional<FileIdentity> fileIdentity(int descriptor);

// Reads up to `size` bytes from the start of an open file without moving its offset.
QByteArray readFileStart(int descriptor, qint64 size);

} // namespace kelvo
