#pragma once

// What the suites of hostile packages share: ZIP archives assembled byte by byte, so that they
// can say what no archiver writes, and a sandbox of folders for one run of the program.

#include "TestSupport.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtEndian>

#include <array>
#include <functional>
#include <optional>

#include <sys/resource.h>

#if defined(__SANITIZE_ADDRESS__)
#define KELVO_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVO_TEST_SANITIZED 1
#endif
#endif

namespace kelvo::test {

inline quint32 crc32Of(QByteArrayView data)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t {};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char b : data)
        crc = table[(crc ^ quint8(b)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// Raw deflate data: qCompress gives a size, a zlib header and a check sum around it.
inline QByteArray rawDeflate(const QByteArray &data)
{
    const QByteArray wrapped = qCompress(data, 9);
    return wrapped.mid(6, wrapped.size() - 10);
}

inline constexpr quint16 Stored = 0;
inline constexpr quint16 Deflated = 8;

struct RawEntry
{
    QByteArray name;
    QByteArray packed; // the data as it stands in the archive
    quint16 method = Stored;
    quint32 crc = 0;
    quint64 size = 0; // the unpacked size that the headers declare
    quint16 flags = 0;
    quint16 madeBy = 20; // high byte 3: Unix, with the file type in the external attributes
    quint32 externalAttributes = 0;
    bool zip64 = false; // sizes and offset in a ZIP64 extra field
    // The central record has no data of its own: it points at the data of the entry before.
    bool sharesPreviousData = false;
    // Where the central directory lies about what the local header says.
    std::optional<quint64> centralSize;
    std::optional<quint64> centralOffset;
};

inline RawEntry stored(QByteArray name, const QByteArray &data)
{
    RawEntry entry;
    entry.name = std::move(name);
    entry.packed = data;
    entry.crc = crc32Of(data);
    entry.size = quint64(data.size());
    return entry;
}

inline RawEntry deflated(QByteArray name, const QByteArray &data)
{
    RawEntry entry = stored(std::move(name), data);
    entry.packed = rawDeflate(data);
    entry.method = Deflated;
    return entry;
}

class ByteWriter final
{
public:
    QByteArray bytes;
    ByteWriter &u16(quint64 v) { return put<quint16>(v); }
    ByteWriter &u32(quint64 v) { return put<quint32>(v); }
    ByteWriter &u64(quint64 v) { return put<quint64>(v); }
    ByteWriter &raw(const QByteArray &b)
    {
        bytes += b;
        return *this;
    }

private:
    template <typename T> ByteWriter &put(quint64 v)
    {
        std::array<char, sizeof(T)> b;
        qToLittleEndian(T(v), b.data());
        bytes.append(b.data(), qsizetype(b.size()));
        return *this;
    }
};

inline constexpr quint32 Max32 = 0xFFFFFFFFu;

// The archive of `entries`; `declaredCount` makes the end record lie about their number.
inline QByteArray assembleZip(const QList<RawEntry> &entries, std::optional<quint64> declaredCount = {})
{
    ByteWriter out;
    out.bytes.reserve(entries.size() * 100);
    QList<quint64> offsets;
    for (const RawEntry &e : entries) {
        if (e.sharesPreviousData) {
            offsets.append(offsets.constLast());
            continue;
        }
        offsets.append(quint64(out.bytes.size()));
        out.u32(0x04034b50).u16(e.zip64 ? 45 : 20).u16(e.flags).u16(e.method).u16(0).u16(0x21).u32(e.crc);
        if (e.zip64)
            out.u32(Max32)
                .u32(Max32)
                .u16(e.name.size())
                .u16(20)
                .raw(e.name)
                .u16(1)
                .u16(16)
                .u64(e.size)
                .u64(quint64(e.packed.size()));
        else
            out.u32(quint64(e.packed.size())).u32(e.size).u16(e.name.size()).u16(0).raw(e.name);
        out.raw(e.packed);
    }
    const quint64 centralStart = quint64(out.bytes.size());
    bool anyZip64 = false;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const RawEntry &e = entries[i];
        const quint64 size = e.centralSize.value_or(e.size);
        const quint64 offset = e.centralOffset.value_or(offsets[i]);
        anyZip64 = anyZip64 || e.zip64;
        out.u32(0x02014b50).u16(e.madeBy).u16(e.zip64 ? 45 : 20).u16(e.flags).u16(e.method).u16(0).u16(0x21).u32(e.crc);
        if (e.zip64)
            out.u32(Max32).u32(Max32);
        else
            out.u32(quint64(e.packed.size())).u32(size);
        out.u16(e.name.size()).u16(e.zip64 ? 28 : 0).u16(0).u16(0).u16(0).u32(e.externalAttributes);
        out.u32(e.zip64 ? Max32 : offset).raw(e.name);
        if (e.zip64)
            out.u16(1).u16(24).u64(size).u64(quint64(e.packed.size())).u64(offset);
    }
    const quint64 centralSize = quint64(out.bytes.size()) - centralStart;
    const quint64 count = declaredCount.value_or(quint64(entries.size()));
    if (anyZip64) {
        const quint64 zip64End = quint64(out.bytes.size());
        out.u32(0x06064b50)
            .u64(44)
            .u16(45)
            .u16(45)
            .u32(0)
            .u32(0)
            .u64(count)
            .u64(count)
            .u64(centralSize)
            .u64(centralStart);
        out.u32(0x07064b50).u32(0).u64(zip64End).u32(1);
        out.u32(0x06054b50).u16(0).u16(0).u16(0xFFFF).u16(0xFFFF).u32(Max32).u32(Max32).u16(0);
    } else {
        out.u32(0x06054b50).u16(0).u16(0).u16(count).u16(count).u32(centralSize).u32(centralStart).u16(0);
    }
    return out.bytes;
}

struct Sandbox
{
    QTemporaryDir root;
    QString tmp = root.filePath(QStringLiteral("tmp"));
    QString home = root.filePath(QStringLiteral("home"));
    QString runtime = root.filePath(QStringLiteral("runtime"));
    QString work = root.filePath(QStringLiteral("work"));
    QString package = root.filePath(QStringLiteral("packages/package.lwz"));

    explicit Sandbox(const QByteArray &bytes)
    {
        for (const QString &folder : { tmp, home, runtime, work })
            QDir().mkpath(folder);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeFile(QDir(root.path()), QStringLiteral("packages/package.lwz"), bytes);
        writeFile(QDir(home), QStringLiteral("notes.txt"), "the student's own file");
    }

    // The program's environment: this sandbox's folders for temporary files, home and runtime
    // files, and none of the other places a program may write to.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), tmp);
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        for (const char *name : { "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME" })
            environment.remove(QString::fromLatin1(name));
        return environment;
    }

    // Every entry below the root, a file with its size and time of change: what a run must leave
    // as it found it. (A folder's time changes with any file made and removed in it.)
    QStringList state() const
    {
        QStringList entries;
        QDirIterator it(root.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
            QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info = it.nextFileInfo();
            const QString name = QDir(root.path()).relativeFilePath(info.filePath());
            entries.append(info.isDir() && !info.isSymLink() ? name + u'/'
                                                             : QStringLiteral("%1 %2 %3")
                                                                   .arg(name)
                                                                   .arg(info.size())
                                                                   .arg(info.lastModified().toMSecsSinceEpoch()));
        }
        entries.sort();
        return entries;
    }
};

// The program run as the hostile suites run it: in a sandbox, under the player's bounds.
// The window program (`kelvo`, or another build of it in the same folder) started in the
// sandbox's folders and environment on the offscreen platform with a report folder; killed when
// the object goes if it still runs. For the tests that end it as a session's end does.
class WindowRun final
{
public:
    WindowRun(const Sandbox &box, const QString &program, const QStringList &arguments,
        const QProcessEnvironment &extra = {}, const std::function<void()> &childSetUp = {})
        : m_box(box)
    {
        QProcessEnvironment environment = box.environment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(extra);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(box.work);
        if (childSetUp)
            process.setChildProcessModifier(childSetUp);
        process.start(qEnvironmentVariable("KELVO_BINARY_DIR") + QStringLiteral("/bin/") + program, arguments);
    }
    ~WindowRun()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
    Q_DISABLE_COPY_MOVE(WindowRun)

    // The run folders in the sandbox's runtime and temporary folders: one while the run is on.
    QStringList runFolders() const
    {
        return QDir(m_box.runtime).entryList({ QStringLiteral("vemratmp-*") }, QDir::Dirs)
            + QDir(m_box.tmp).entryList({ QStringLiteral("vemratmp-*") }, QDir::Dirs);
    }

    QProcess process;

private:
    const Sandbox &m_box;
};

namespace bounded {

// The largest address space the program may take. Its libraries alone (the web engine among
// them) map about 300 MB.
inline constexpr rlim_t MaxAddressSpace = rlim_t(1) << 30;
// The largest file it may write.
inline constexpr rlim_t MaxFileSize = rlim_t(256) << 20;
// The most memory a run may hold at once. A sanitized build holds its shadow memory besides.
#ifdef KELVO_TEST_SANITIZED
inline constexpr qint64 MaxResidentBytes = qint64(2) << 30;
#else
inline constexpr qint64 MaxResidentBytes = qint64(640) << 20;
#endif

// The highest resident size of this process (RUSAGE_SELF), or of the largest of its children
// that ended (RUSAGE_CHILDREN).
inline qint64 peakResidentBytes(int who)
{
    rusage usage {};
    ::getrusage(who, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

struct Run
{
    bool finished = false;
    int exitCode = -1; // -1 when it crashed
    QByteArray out;
    QString err;
};

// Runs the program with `arguments` in the sandbox's folders and environment, within the bounds;
// kills it after two minutes (a guard against a hang, not a measure of speed).
inline Run runProgram(const Sandbox &box, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = box.environment();
#ifdef KELVO_TEST_SANITIZED
    // The sanitizer reserves terabytes of address space: it watches the resident size instead.
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
        environment.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":hard_rss_limit_mb=1024"));
#endif
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(box.work);
    process.setChildProcessModifier([] {
#ifndef KELVO_TEST_SANITIZED
        const rlimit space { MaxAddressSpace, MaxAddressSpace };
        ::setrlimit(RLIMIT_AS, &space);
#endif
        const rlimit fileSize { MaxFileSize, MaxFileSize };
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
    });
    process.start(qEnvironmentVariable("KELVO_BINARY_DIR") + QStringLiteral("/bin/kelvo"), arguments);
    Run run;
    run.finished = process.waitForFinished(120'000);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace bounded

} // namespace kelvo::test
