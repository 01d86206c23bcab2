#include "PackageExtractor.h"

#include "CodePages.h"
#include "FolderHandle.h"
#include "RunFolder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSet>
#include <QStringList>

#include <zip.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace kelvo {

namespace {

Q_LOGGING_CATEGORY(lcExtraction, "kelvo.extraction", QtWarningMsg)

struct ZipDiscard
{
    void operator()(zip_t *archive) const { zip_discard(archive); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipDiscard>;

struct ZipFileClose
{
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};
using ZipEntryReader = std::unique_ptr<zip_file_t, ZipFileClose>;

// A plain archive starts with its first entry, or with the end record when it has none. A
// self-extracting program starts with "MZ", a split archive with the spanning marker "PK\7\8".
constexpr QByteArrayView FirstEntrySignature("PK\x03\x04", 4);
constexpr QByteArrayView EmptyArchiveSignature("PK\x05\x06", 4);

// Unix file types in the high half of an entry's external attributes, as st_mode has them;
// the low byte holds the MS-DOS attributes.
constexpr zip_uint32_t UnixTypeMask = 0170000;
constexpr zip_uint32_t UnixRegularFile = 0100000;
constexpr zip_uint32_t DosFolderAttribute = 0x10;

constexpr zip_uint64_t RatioCheckedAbove = zip_uint64_t(1) << 20;
constexpr size_t CopyBufferBytes = 64 * 1024;

QString zipErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

struct OpenedArchive
{
    ZipArchive archive;
    FileIdentity file; // the archive file's, with its size
    QString problem;
};

OpenedArchive openPlainZip(const QString &path)
{
    FileDescriptor file = openRegularFileForReading(path);
    if (!file.isValid())
        return { nullptr, {},
            QStringLiteral("cannot open the package as a regular file: ") + FolderHandle::lastError() };
    const std::optional<FileIdentity> identity = fileIdentity(file.get());
    if (!identity)
        return { nullptr, {}, QStringLiteral("cannot read the package's size: ") + FolderHandle::lastError() };
    const QByteArray start = readFileStart(file.get(), FirstEntrySignature.size());
    if (start != FirstEntrySignature && start != EmptyArchiveSignature)
        return { nullptr, {}, QStringLiteral("not a plain ZIP archive") };
    int code = ZIP_ER_OK;
    zip_t *archive = zip_fdopen(file.get(), ZIP_RDONLY, &code);
    if (!archive)
        return { nullptr, {}, QStringLiteral("not a readable ZIP archive: ") + zipErrorText(code) };
    file.release(); // the archive has taken the descriptor over
    return { ZipArchive(archive), *identity, {} };
}

bool hasNonAscii(QByteArrayView bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char b) { return static_cast<unsigned char>(b) >= 0x80; });
}

// libzip does not expose the entry's flag bits. Asked for a name "strictly", it returns the stored
// bytes only when the entry is marked UTF-8 (flag bit 11, or a Unicode path field that replaced the
// name), and its own CP437 reading otherwise.
bool isMarkedUtf8(zip_t *archive, zip_uint64_t index, const QByteArray &raw)
{
    const char *strict = zip_get_name(archive, index, ZIP_FL_ENC_STRICT);
    return strict && raw == strict;
}

QString decodeEntryName(const QByteArray &raw, bool markedUtf8)
{
    if (markedUtf8 || (hasNonAscii(raw) && isValidUtf8(raw)))
        return QString::fromUtf8(raw);
    return decodeCp866(raw);
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// The file name an entry is written under, or nothing when it must be skipped.
std::optional<QString> flatFileName(const QString &entryName)
{
    if (std::any_of(entryName.begin(), entryName.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        return std::nullopt;
    const qsizetype lastSeparator
        = std::max(entryName.lastIndexOf(QLatin1Char('/')), entryName.lastIndexOf(QLatin1Char('\\')));
    QString name = entryName.sliced(lastSeparator + 1);
    if (name.size() >= 2 && name[1] == u':' && isAsciiLetter(name[0]))
        name.remove(0, 2);
    // The run folder's own entries (its marker, ...) are the program's: a package cannot replace them.
    if (name.isEmpty() || name == u"." || name == u".." || RunFolder::isOwnEntryName(name))
        return std::nullopt;
    return name;
}

bool isRegularFileEntry(zip_t *archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
        return false;
    if (attributes & DosFolderAttribute)
        return false;
    if (system == ZIP_OPSYS_UNIX) {
        // A type of 0 is an archiver that stored permissions only.
        const zip_uint32_t type = (attributes >> 16) & UnixTypeMask;
        return type == 0 || type == UnixRegularFile;
    }
    return true;
}

bool beyondRatio(quint64 unpacked, quint64 packed, const ExtractionLimits &limits)
{
    return unpacked > RatioCheckedAbove && unpacked / std::max<quint64>(packed, 1) > limits.maxCompressionRatio;
}

struct PlannedEntry
{
    zip_uint64_t index = 0;
    QString name;
    QByteArray fileName; // as the file system takes it
    zip_uint64_t size = 0;
    zip_uint64_t packedSize = 0;
    zip_uint32_t crc = 0;
};

struct Plan
{
    std::vector<PlannedEntry> entries;
    quint64 totalBytes = 0;
    quint64 packedBytes = 0;
    QString problem;
};

// Everything that can be checked before a byte is written is checked here.
Plan planExtraction(zip_t *archive, quint64 archiveBytes, const ExtractionLimits &limits)
{
    Plan plan;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 0 || count > limits.maxEntries) {
        plan.problem = QStringLiteral("the package holds %1 entries, more than %2").arg(count).arg(limits.maxEntries);
        return plan;
    }
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = zip_uint64_t(i);
        const char *rawName = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
        if (!rawName) {
            plan.problem = QStringLiteral("entry %1 has no readable name").arg(i);
            return plan;
        }
        const QByteArray raw(rawName);
        const QString name = decodeEntryName(raw, isMarkedUtf8(archive, index, raw));
        const std::optional<QString> fileName = flatFileName(name);
        if (!fileName || !isRegularFileEntry(archive, index)) {
            qCDebug(lcExtraction) << "skipped entry" << name;
            continue;
        }

        zip_stat_t stat;
        zip_stat_init(&stat);
        constexpr zip_uint64_t needed
            = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
        if (zip_stat_index(archive, index, 0, &stat) != 0 || (stat.valid & needed) != needed) {
            plan.problem = QStringLiteral("entry \"%1\" has unknown sizes").arg(name);
            return plan;
        }
        if (stat.encryption_method != ZIP_EM_NONE) {
            plan.problem = QStringLiteral("entry \"%1\" is encrypted").arg(name);
            return plan;
        }
        if (!zip_compression_method_supported(stat.comp_method, 0)) {
            plan.problem = QStringLiteral("entry \"%1\" uses compression method %2, which cannot be read")
                               .arg(name)
                               .arg(stat.comp_method);
            return plan;
        }
        if (beyondRatio(stat.size, stat.comp_size, limits)) {
            plan.problem = QStringLiteral("entry \"%1\" claims %2 bytes packed into %3")
                               .arg(name)
                               .arg(stat.size)
                               .arg(stat.comp_size);
            return plan;
        }
        if (stat.size > limits.maxTotalBytes - plan.totalBytes) {
            plan.problem = QStringLiteral("the package unpacks to more than %1 bytes").arg(limits.maxTotalBytes);
            return plan;
        }
        // Each entry's packed data has a part of the archive of its own, so together they fit in it.
        // Entries that share their data (a bomb that unpacks one small stream many times) do not.
        if (stat.comp_size > archiveBytes - plan.packedBytes) {
            plan.problem = QStringLiteral("the entries' packed data overlap: more than the %1 bytes of the archive")
                               .arg(archiveBytes);
            return plan;
        }
        plan.packedBytes += stat.comp_size;
        plan.totalBytes += stat.size;
        plan.entries.push_back({ index, *fileName, QFile::encodeName(*fileName), stat.size, stat.comp_size, stat.crc });
    }
    // Many entries of up to 1 MiB each pass one by one; together they meet the same bound.
    if (beyondRatio(plan.totalBytes, archiveBytes, limits))
        plan.problem = QStringLiteral("the package unpacks to %1 bytes from %2").arg(plan.totalBytes).arg(archiveBytes);
    return plan;
}

// Copies one entry into a new file, which `created` then names; the reason when that fails.
// `noRoom` tells that the file system had no room for it.
QString writeEntry(zip_t *archive, const PlannedEntry &entry, const FolderHandle &folder,
    std::vector<QByteArray> &created, std::vector<char> &buffer, bool &noRoom)
{
    // A helper thread reads through an archive opened again: its entry must be the one planned.
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, entry.index, 0, &stat) != 0 || stat.size != entry.size
        || stat.comp_size != entry.packedSize || stat.crc != entry.crc)
        return QStringLiteral("entry \"%1\" changed while the package was unpacked").arg(entry.name);
    const ZipEntryReader reader(zip_fopen_index(archive, entry.index, 0));
    if (!reader)
        return QStringLiteral("entry \"%1\" cannot be read: %2")
            .arg(entry.name, QString::fromUtf8(zip_strerror(archive)));
    FileDescriptor output = folder.createFile(entry.fileName);
    if (!output.isValid()) {
        noRoom = FolderHandle::lastErrorWasNoRoom();
        return QStringLiteral("cannot create \"%1\": %2").arg(entry.name, FolderHandle::lastError());
    }
    created.push_back(entry.fileName);

    // libzip checks the CRC only when a read reports the end, and never that the data ends at the
    // declared size: count, and read to the end.
    zip_uint64_t copied = 0;
    for (;;) {
        const zip_int64_t got = zip_fread(reader.get(), buffer.data(), buffer.size());
        if (got < 0)
            return QStringLiteral("entry \"%1\" is damaged: %2")
                .arg(entry.name, QString::fromUtf8(zip_file_strerror(reader.get())));
        if (got == 0)
            break;
        copied += zip_uint64_t(got);
        if (copied > entry.size)
            return QStringLiteral("entry \"%1\" holds more data than its declared %2 bytes")
                .arg(entry.name)
                .arg(entry.size);
        if (!writeAll(output.get(), buffer.data(), got)) {
            noRoom = FolderHandle::lastErrorWasNoRoom();
            return QStringLiteral("cannot write \"%1\": %2").arg(entry.name, FolderHandle::lastError());
        }
    }
    if (copied != entry.size)
        return QStringLiteral("entry \"%1\" holds less data than its declared %2 bytes")
            .arg(entry.name)
            .arg(entry.size);
    if (!output.close()) {
        noRoom = FolderHandle::lastErrorWasNoRoom();
        return QStringLiteral("cannot write \"%1\": %2").arg(entry.name, FolderHandle::lastError());
    }
    return {};
}

// What the threads of one extraction share: the next entry to take, the first failure in archive
// order, and the files each has created. No entry after a failed one is started, and every entry
// before it has been taken, so the failure told is the one that unpacking in order meets first.
class SharedUnpacking final
{
public:
    SharedUnpacking(const Plan &plan, const FolderHandle &folder)
        : m_plan(plan)
        , m_folder(folder)
    {
    }

    const FolderHandle &folder() const { return m_folder; }
    // The next entry to unpack, or nothing when all have been taken or one before it has failed.
    const PlannedEntry *take()
    {
        const size_t at = m_next.fetch_add(1);
        return at < m_plan.entries.size() && at < m_firstFailure.load() ? &m_plan.entries[at] : nullptr;
    }
    void fail(const PlannedEntry *entry, const QString &problem, bool noRoom)
    {
        const auto at = size_t(entry - m_plan.entries.data());
        const std::lock_guard lock(m_mutex);
        if (at < m_firstFailure.load()) {
            m_firstFailure.store(at);
            m_problem = problem;
            m_noRoom = noRoom;
        }
    }
    void keepCreated(const std::vector<QByteArray> &names)
    {
        const std::lock_guard lock(m_mutex);
        m_created.insert(m_created.end(), names.begin(), names.end());
    }

    // Once every thread has ended:
    bool failed() const { return m_firstFailure.load() != NoFailure; }
    const QString &problem() const { return m_problem; }
    bool noRoom() const { return m_noRoom; }
    void removeCreated() const
    {
        for (const QByteArray &name : m_created)
            m_folder.removeFile(name);
    }

private:
    static constexpr size_t NoFailure = std::numeric_limits<size_t>::max();

    const Plan &m_plan;
    const FolderHandle &m_folder;
    std::atomic<size_t> m_next = 0;
    std::atomic<size_t> m_firstFailure = NoFailure;
    std::mutex m_mutex;
    QString m_problem;
    bool m_noRoom = false;
    std::vector<QByteArray> m_created;
};

// Unpacks entries in turn until none is left or one has failed.
void unpackEntries(zip_t *archive, SharedUnpacking &shared)
{
    std::vector<char> buffer(CopyBufferBytes);
    std::vector<QByteArray> created;
    while (const PlannedEntry *entry = shared.take()) {
        bool noRoom = false;
        const QString problem = writeEntry(archive, *entry, shared.folder(), created, buffer, noRoom);
        if (!problem.isEmpty()) {
            shared.fail(entry, problem, noRoom);
            break;
        }
    }
    shared.keepCreated(created);
}

// A helper thread reads through an archive of its own (libzip's archives are not to be shared
// between threads), opened again from the path. It helps only where the path still names the file
// that was planned.
void helpUnpacking(const QString &archivePath, const FileIdentity &planned, SharedUnpacking &shared)
{
    const OpenedArchive opened = openPlainZip(archivePath);
    if (opened.archive && opened.file == planned)
        unpackEntries(opened.archive.get(), shared);
}

// One thread for a small package, up to the limit for a large one. A package with two entries of
// one name is unpacked by one thread, in order, so that the later still overwrites the earlier.
int threadsFor(const Plan &plan, const ExtractionLimits &limits)
{
    if (plan.totalBytes < limits.parallelFromBytes || plan.entries.size() < 2)
        return 1;
    QSet<QString> names;
    names.reserve(qsizetype(plan.entries.size()));
    for (const PlannedEntry &entry : plan.entries) {
        // Case-folded: where the file system ignores case, two such names are one file.
        const QString name = entry.name.toCaseFolded();
        if (names.contains(name))
            return 1;
        names.insert(name);
    }
    return int(std::min(size_t(std::max(1, limits.maxThreads)), plan.entries.size()));
}

// Each written file once, in the archive order of the entries that first wrote it.
QStringList writtenPaths(const Plan &plan, const QString &destinationFolder)
{
    // Joined by hand: QDir takes a name that starts with ":" for one of Qt's resources, and the
    // file would never be deleted.
    const QString destination = QDir(destinationFolder).absolutePath() + QLatin1Char('/');
    QStringList paths;
    QSet<QByteArray> listed;
    for (const PlannedEntry &entry : plan.entries) {
        if (!listed.contains(entry.fileName)) {
            listed.insert(entry.fileName);
            paths.append(destination + QFile::decodeName(entry.fileName));
        }
    }
    return paths;
}

ExtractionResult failure(const QString &problem, bool destinationFull = false)
{
    qCDebug(lcExtraction) << "package refused:" << problem;
    ExtractionResult result;
    result.problem = problem;
    result.destinationFull = destinationFull;
    return result;
}

} // namespace

bool isPlainZipArchive(const QString &path)
{
    return openPlainZip(path).archive != nullptr;
}

ExtractionResult extractPackage(const QString &archivePath, const QString &destinationFolder,
    const FileWrittenHandler &onFileWritten, const ExtractionLimits &limits)
{
    const OpenedArchive opened = openPlainZip(archivePath);
    if (!opened.archive)
        return failure(opened.problem);
    const Plan plan = planExtraction(opened.archive.get(), opened.file.size, limits);
    if (!plan.problem.isEmpty())
        return failure(plan.problem);

    const FolderHandle folder = FolderHandle::open(destinationFolder);
    if (!folder.isOpen())
        return failure(QStringLiteral("cannot open the destination folder: ") + FolderHandle::lastError());
    const std::optional<quint64> freeBytes = folder.freeBytes();
    if (freeBytes && plan.totalBytes > *freeBytes)
        return failure(
            QStringLiteral("the package needs %1 bytes, the disk has %2 free").arg(plan.totalBytes).arg(*freeBytes),
            true);

    SharedUnpacking shared(plan, folder);
    {
        const int threads = threadsFor(plan, limits);
        std::vector<std::jthread> helpers;
        for (int i = 1; i < threads; ++i) {
            try {
                helpers.emplace_back(helpUnpacking, std::cref(archivePath), std::cref(opened.file), std::ref(shared));
            } catch (const std::system_error &) {
                break; // no more threads to be had: those running do the work
            }
        }
        unpackEntries(opened.archive.get(), shared);
    }
    if (shared.failed()) {
        shared.removeCreated();
        return failure(shared.problem(), shared.noRoom());
    }

    ExtractionResult result;
    result.ok = true;
    result.writtenFiles = writtenPaths(plan, destinationFolder);
    if (onFileWritten) {
        for (const QString &path : std::as_const(result.writtenFiles))
            onFileWritten(path);
    }
    return result;
}

std::optional<QList<PackageEntryInfo>> listPackageEntries(const QString &archivePath)
{
    const OpenedArchive opened = openPlainZip(archivePath);
    if (!opened.archive)
        return std::nullopt;
    zip_t *archive = opened.archive.get();
    QList<PackageEntryInfo> entries;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = zip_uint64_t(i);
        const char *raw = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
        if (!raw || !isRegularFileEntry(archive, index))
            continue;
        const QByteArray rawName(raw);
        const QString name = decodeEntryName(rawName, isMarkedUtf8(archive, index, rawName));
        const std::optional<QString> flat = flatFileName(name);
        if (!flat)
            continue;
        zip_stat_t stat;
        zip_stat_init(&stat);
        zip_stat_index(archive, index, 0, &stat);
        entries.append({ name, *flat, (stat.valid & ZIP_STAT_CRC) ? quint32(stat.crc) : 0,
            (stat.valid & ZIP_STAT_SIZE) ? quint64(stat.size) : 0 });
    }
    return entries;
}

QString archiveLibraryVersion()
{
    return QString::fromLatin1(zip_libzip_version());
}

} // namespace kelvo
