#include "RuntimeFolder.h"

#include "FolderHandle.h"
#include "RunFolder.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {

QString usableRuntimeFolder()
{
    const QString named = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return isPrivateFolderOfUser(named) ? named : QString();
}

bool isPrivateFolderOfUser(const QString &path)
{
    struct stat status
    {
    };
    // A relative name would change its meaning with the current directory.
    if (!QDir::isAbsolutePath(path) || ::stat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    return S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() && (status.st_mode & 07777) == 0700;
}

bool runtimeFolderHasRoom(quint64 unpackedBytes, quint64 freeBytes)
{
    constexpr quint64 Margin = quint64(64) << 20;
    const quint64 allowed = freeBytes / 2;
    // Compared so that no sum can overflow, whatever a package claims.
    return unpackedBytes <= allowed / 2 && Margin <= allowed - 2 * unpackedBytes;
}

QString runFolderParent(const std::function<std::optional<quint64>()> &unpackedBytes)
{
    if (const QString runtime = usableRuntimeFolder(); !runtime.isEmpty()) {
        if (const std::optional<quint64> bytes = unpackedBytes()) {
            const std::optional<quint64> free = FolderHandle::open(runtime).freeBytes();
            if (free && runtimeFolderHasRoom(*bytes, *free))
                return QDir(runtime).absolutePath();
        }
    }
    return RunFolder::temporaryFolder();
}

} // namespace kelvo
