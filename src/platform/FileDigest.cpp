#include "FileDigest.h"

#include "FolderHandle.h"

#include <QCryptographicHash>

#include <cerrno>

#include <unistd.h>

namespace kelvo {

std::optional<QString> fileSha256(const QString &path)
{
    const FileDescriptor file = openRegularFileForReading(path);
    if (!file.isValid())
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer.data(), size_t(buffer.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        hash.addData(QByteArrayView(buffer.constData(), got));
    }
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace kelvo
