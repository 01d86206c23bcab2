#include "FolderHandle.h"

#include "LocalFileNames.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace kelvo {

namespace {

// Folder descriptors are used only as anchors for the *at calls and for locking.
constexpr int FolderOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
constexpr int MaxNameAttempts = 100;

EntryStatus statusFrom(const struct stat &info)
{
    EntryStatus status;
    if (S_ISREG(info.st_mode))
        status.kind = EntryKind::RegularFile;
    else if (S_ISDIR(info.st_mode))
        status.kind = EntryKind::Folder;
    else
        status.kind = EntryKind::Other;
    status.ownedByCurrentUser = info.st_uid == ::geteuid();
    status.device = quint64(info.st_dev);
    status.inode = quint64(info.st_ino);
    status.permissions = unsigned(info.st_mode) & 0777u;
    status.setGroupId = (info.st_mode & S_ISGID) != 0;
    return status;
}

int retryOnInterrupt(auto call)
{
    int result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

} // namespace

FileDescriptor::~FileDescriptor()
{
    close();
}

FileDescriptor::FileDescriptor(FileDescriptor &&other) noexcept
    : m_descriptor(other.release())
{
}

FileDescriptor &FileDescriptor::operator=(FileDescriptor &&other) noexcept
{
    if (this != &other) {
        close();
        m_descriptor = other.release();
    }
    return *this;
}

int FileDescriptor::release()
{
    return std::exchange(m_descriptor, -1);
}

bool FileDescriptor::close()
{
    if (m_descriptor < 0)
        return true;
    // On Linux the descriptor is gone even when close reports EINTR: never retry.
    return ::close(release()) == 0;
}

FolderHandle FolderHandle::open(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    return FolderHandle(FileDescriptor(retryOnInterrupt([&] { return ::open(encoded.constData(), FolderOpenFlags); })));
}

FolderHandle FolderHandle::openForCreating(const QString &path)
{
    // O_PATH needs no right to read the folder, only to search it.
    const QByteArray encoded = QFile::encodeName(path);
    return FolderHandle(FileDescriptor(
        retryOnInterrupt([&] { return ::open(encoded.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC); })));
}

FolderHandle FolderHandle::openSubfolder(const QByteArray &name) const
{
    return FolderHandle(FileDescriptor(retryOnInterrupt(
        [&] { return ::openat(m_descriptor.get(), name.constData(), FolderOpenFlags | O_NOFOLLOW); })));
}

QString FolderHandle::lastError()
{
    return qt_error_string(errno);
}

EntryStatus FolderHandle::status() const
{
    struct stat info
    {
    };
    if (::fstat(m_descriptor.get(), &info) != 0)
        return {};
    return statusFrom(info);
}

EntryStatus FolderHandle::entryStatus(const QByteArray &name) const
{
    struct stat info
    {
    };
    if (::fstatat(m_descriptor.get(), name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    return statusFrom(info);
}

QList<QByteArray> FolderHandle::entryNames() const
{
    QList<QByteArray> names;
    // fdopendir takes over the descriptor it is given, so it gets its own, at the folder's start.
    const int listing = ::openat(m_descriptor.get(), ".", FolderOpenFlags);
    if (listing < 0)
        return names;
    DIR *folder = ::fdopendir(listing);
    if (!folder) {
        ::close(listing);
        return names;
    }
    while (const dirent *entry = ::readdir(folder)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(folder);
    return names;
}

FileDescriptor FolderHandle::openFile(const QByteArray &name) const
{
    FileDescriptor file(retryOnInterrupt([&] {
        return ::openat(
            m_descriptor.get(), name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    }));
    struct stat info
    {
    };
    if (!file.isValid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    return file;
}

FileDescriptor FolderHandle::createFile(const QByteArray &name) const
{
    return FileDescriptor(retryOnInterrupt([&] {
        return ::openat(
            m_descriptor.get(), name.constData(), O_CREAT | O_TRUNC | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0600);
    }));
}

FileDescriptor FolderHandle::createNewFile(const QByteArray &name, unsigned permissions) const
{
    // O_EXCL fails on any existing entry, a dangling link included; fchmod then sets the mode
    // that the umask may have narrowed, and nothing wider is ever visible.
    FileDescriptor file(retryOnInterrupt([&] {
        return ::openat(m_descriptor.get(), name.constData(),
            O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600 & permissions);
    }));
    if (file.isValid() && ::fchmod(file.get(), mode_t(permissions)) != 0) {
        const int error = errno;
        file.close();
        ::unlinkat(m_descriptor.get(), name.constData(), 0);
        errno = error;
        return {};
    }
    return file;
}

FileDescriptor FolderHandle::createTemporaryFile(const QByteArray &prefix, unsigned permissions, QByteArray *name) const
{
    for (int attempt = 0; attempt < MaxNameAttempts; ++attempt) {
        const QByteArray candidate = prefix + randomNameSuffix();
        FileDescriptor file = createNewFile(candidate, permissions);
        if (file.isValid()) {
            *name = candidate;
            return file;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

bool FolderHandle::renameEntry(const QByteArray &from, const QByteArray &to) const
{
    return ::renameat(m_descriptor.get(), from.constData(), m_descriptor.get(), to.constData()) == 0;
}

bool FolderHandle::createSubfolder(const QByteArray &name) const
{
    return ::mkdirat(m_descriptor.get(), name.constData(), 0700) == 0;
}

bool FolderHandle::createSymbolicLink(const QByteArray &name, const QByteArray &target) const
{
    return ::symlinkat(target.constData(), m_descriptor.get(), name.constData()) == 0;
}

bool FolderHandle::lastErrorWasExisting()
{
    return errno == EEXIST;
}

bool FolderHandle::lastErrorWasNoRoom()
{
    return errno == ENOSPC || errno == EDQUOT || errno == EFBIG;
}

bool FolderHandle::removeFile(const QByteArray &name) const
{
    return ::unlinkat(m_descriptor.get(), name.constData(), 0) == 0;
}

bool FolderHandle::removeEmptySubfolder(const QByteArray &name) const
{
    return ::unlinkat(m_descriptor.get(), name.constData(), AT_REMOVEDIR) == 0;
}

bool FolderHandle::setOwnerOnlyPermissions(const QByteArray &name) const
{
    return ::fchmodat(m_descriptor.get(), name.constData(), 0700, AT_SYMLINK_NOFOLLOW) == 0;
}

FolderHandle::LockResult FolderHandle::tryLock() const
{
    if (retryOnInterrupt([&] { return ::flock(m_descriptor.get(), LOCK_EX | LOCK_NB); }) == 0)
        return LockResult::Locked;
    return errno == EWOULDBLOCK ? LockResult::HeldElsewhere : LockResult::Unsupported;
}

std::optional<quint64> FolderHandle::freeBytes() const
{
    struct statvfs info
    {
    };
    if (::fstatvfs(m_descriptor.get(), &info) != 0)
        return std::nullopt;
    return quint64(info.f_bavail) * quint64(info.f_frsize);
}

bool writeAll(int descriptor, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool syncFile(int descriptor)
{
    return retryOnInterrupt([&] { return ::fsync(descriptor); }) == 0;
}

QByteArray randomNameSuffix()
{
    static constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix(6, Qt::Uninitialized);
    for (char &c : suffix)
        c = Alphabet[QRandomGenerator::system()->bounded(int(sizeof(Alphabet) - 1))];
    return suffix;
}

FileDescriptor openRegularFileForReading(const QString &path)
{
    const QByteArray encoded = encodeLocalFileName(path);
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused just below.
    FileDescriptor file(
        retryOnInterrupt([&] { return ::open(encoded.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK); }));
    if (!file.isValid())
        return file;
    struct stat info
    {
    };
    if (::fstat(file.get(), &info) != 0)
        return {};
    if (!S_ISREG(info.st_mode)) {
        file.close();
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return {};
    }
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return {};
    return file;
}

std::optional<FileIdentity> fileIdentity(int descriptor)
{
    struct stat info
    {
    };
    if (::fstat(descriptor, &info) != 0 || info.st_size < 0)
        return std::nullopt;
    return FileIdentity { quint64(info.st_dev), quint64(info.st_ino), quint64(info.st_size) };
}

QByteArray readFileStart(int descriptor, qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 got = 0;
    while (got < size) {
        const ssize_t n = ::pread(descriptor, bytes.data() + got, size_t(size - got), off_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

} // namespace kelvo
