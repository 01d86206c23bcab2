#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <algorithm>
#include <functional>
#include <optional>
#include <thread>

namespace kelvo {

// A plain ZIP archive: a regular file that starts with a ZIP record (not a self-extracting
// program, not a split archive) and that opens as a ZIP archive. A missing file, a folder or
// any other file is not one.
bool isPlainZipArchive(const QString &path);

// Bounds on an extraction: those that keep a hostile package from filling the disk (free disk
// space bounds the total too), and the threads it may use.
struct ExtractionLimits
{
    qint64 maxEntries = 20'000;
    quint64 maxTotalBytes = quint64(1) << 30;
    // Deflate cannot pack better than about 1032 : 1, so more is a lie or a bomb. Every method is
    // held to it (bzip2 packs zeros a million to one): each entry of more than 1 MiB, and the
    // whole package once it unpacks to more than 1 MiB.
    quint64 maxCompressionRatio = 1'100;
    // A package that unpacks to this many bytes or more is unpacked by up to `maxThreads` threads
    // (by default one a core, up to four); a smaller one by the calling thread alone, where
    // starting threads would cost more than they save.
    quint64 parallelFromBytes = quint64(8) << 20;
    int maxThreads = std::clamp(int(std::thread::hardware_concurrency()), 1, 4);
};

struct ExtractionResult
{
    bool ok = false;
    // On success: the full path of every file written, each once, in the archive order of the
    // entries that first wrote them.
    QStringList writtenFiles;
    // On failure: a short English reason for logs and tests; users see the damaged-package message,
    // or, when the destination had no room, that the temporary folder is full.
    QString problem;
    // On failure: the destination's file system had no room for the files (no space, no free
    // inodes, a quota or the process's file size limit), whatever the package holds.
    bool destinationFull = false;
};

using FileWrittenHandler = std::function<void(const QString &path)>;

// Unpacks every entry of a package flat into `destinationFolder`, which must exist: an entry is
// written under the part of its name after the last "/" or "\" (without a drive prefix "C:"),
// overwriting a file of that name. Entries that are folders, symbolic links or other non-regular
// files, and names that are empty, "." or "..", the run folder's own entries (RunFolder::isOwnEntryName), or hold
// control characters, are skipped. Names are UTF-8 when the entry is marked so or is valid UTF-8, CP866 (DOS Cyrillic)
// otherwise.
//
// The whole package fails when it is not a plain ZIP archive, holds an encrypted entry or one
// in a method that cannot be read, has damaged data (CRC, sizes), or breaks `limits`.
//
// Contract: on success `onFileWritten` is called for each path of `writtenFiles`, in that order,
// before the call returns; the caller deletes exactly those at shutdown. On failure every file
// that this call wrote is deleted again, `onFileWritten` is never called and `writtenFiles` is
// empty, so the caller has nothing to clean up.
ExtractionResult extractPackage(const QString &archivePath, const QString &destinationFolder,
    const FileWrittenHandler &onFileWritten = {}, const ExtractionLimits &limits = {});

// An entry of a package that the extraction would write: its name as stored (sub-folders
// included, decoded as the extraction decodes it), the name it is written under, its CRC and size.
struct PackageEntryInfo
{
    QString name;
    QString flatName;
    quint32 crc = 0;
    quint64 size = 0;
};

// The entries extractPackage would write, in archive order, without writing anything; nothing
// when the file is no plain ZIP archive.
std::optional<QList<PackageEntryInfo>> listPackageEntries(const QString &archivePath);

// The version of the archive library that the extraction runs on, for the about box.
QString archiveLibraryVersion();

} // namespace kelvo
