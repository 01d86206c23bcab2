#include "PackageExtractor.h"
#include "RunFolder.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QtEndian>
#include <QTest>

#include <zip.h>

#include <optional>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelvo;
using namespace kelvo::test;

using FileMap = QMap<QString, QByteArray>;
Q_DECLARE_METATYPE(kelvo::ExtractionLimits)

namespace {

struct TestEntry
{
    TestEntry(QByteArray name, QByteArray data, bool deflate = false, std::optional<zip_uint32_t> unixMode = {})
        : name(std::move(name))
        , data(std::move(data))
        , deflate(deflate)
        , unixMode(unixMode)
    {
    }

    QByteArray name; // stored as given
    QByteArray data;
    bool deflate;
    std::optional<zip_uint32_t> unixMode;
    std::optional<zip_int32_t> method; // another method than deflate or store
};

TestEntry bzip2(QByteArray name, QByteArray data)
{
    TestEntry entry(std::move(name), std::move(data));
    entry.method = ZIP_CM_BZIP2;
    return entry;
}

constexpr zip_uint32_t SymbolicLinkMode = 0120777;

// An archive as libzip writes it (libzip sets the UTF-8 flag on every valid UTF-8 name).
QByteArray zipOf(const QList<TestEntry> &entries)
{
    const QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("fixture.zip")));
    int error = 0;
    zip_t *archive = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        qFatal("cannot create a test archive (libzip error %d)", error);
    for (const TestEntry &entry : entries) {
        zip_source_t *source = zip_source_buffer(archive, entry.data.constData(), zip_uint64_t(entry.data.size()), 0);
        const zip_int64_t index = zip_file_add(archive, entry.name.constData(), source, ZIP_FL_ENC_GUESS);
        if (index < 0)
            qFatal("cannot add %s: %s", entry.name.constData(), zip_strerror(archive));
        zip_set_file_compression(
            archive, zip_uint64_t(index), entry.method.value_or(entry.deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE), 0);
        if (entry.unixMode)
            zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, *entry.unixMode << 16);
    }
    if (zip_close(archive) != 0)
        qFatal("cannot write a test archive: %s", zip_strerror(archive));
    QFile file(dir.filePath(QStringLiteral("fixture.zip")));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the test archive back");
    return file.readAll();
}

// Changes what no archiver writes: each field is set in the local header and in the central
// directory alike, so libzip sees one consistent (but lying) entry.
class ZipPatch final
{
public:
    explicit ZipPatch(QByteArray bytes)
        : m_bytes(std::move(bytes))
    {
    }

    const QByteArray &bytes() const { return m_bytes; }

    ZipPatch &setFlag(int entry, quint16 bit, bool on)
    {
        const quint16 flags = on ? (u16(central(entry) + 8) | bit) : (u16(central(entry) + 8) & ~bit);
        setU16(central(entry) + 8, flags);
        setU16(local(entry) + 6, flags);
        return *this;
    }
    ZipPatch &setMethod(int entry, quint16 method)
    {
        setU16(central(entry) + 10, method);
        setU16(local(entry) + 8, method);
        return *this;
    }
    ZipPatch &setCrc(int entry, quint32 crc)
    {
        setU32(central(entry) + 16, crc);
        setU32(local(entry) + 14, crc);
        return *this;
    }
    ZipPatch &setSize(int entry, quint32 size)
    {
        setU32(central(entry) + 24, size);
        setU32(local(entry) + 22, size);
        return *this;
    }
    // A self-extracting program: the archive behind a stub, its offsets moved as "zip -A" does,
    // so that it still opens as an archive.
    ZipPatch &prependProgram(const QByteArray &stub)
    {
        const qsizetype end = m_bytes.lastIndexOf("PK\x05\x06");
        for (int i = 0; i < u16(end + 10); ++i)
            setU32(central(i) + 42, u32(central(i) + 42) + quint32(stub.size()));
        setU32(end + 16, u32(end + 16) + quint32(stub.size()));
        m_bytes.prepend(stub);
        return *this;
    }
    // Central records that point at the data of `entry` once more, each under a name of its own,
    // as an archive bomb that unpacks one small stream many times has them.
    ZipPatch &shareData(int entry, int copies)
    {
        const qsizetype end = m_bytes.lastIndexOf("PK\x05\x06");
        const qsizetype record = central(entry);
        const qsizetype recordSize = 46 + u16(record + 28) + u16(record + 30) + u16(record + 32);
        QByteArray added;
        for (int i = 0; i < copies; ++i) {
            QByteArray copy = m_bytes.mid(record, recordSize);
            copy[46] = char('a' + i % 26);
            copy[47] = char('a' + i / 26 % 26);
            added += copy;
        }
        m_bytes.insert(end, added);
        const qsizetype newEnd = end + added.size();
        setU16(newEnd + 8, u16(newEnd + 8) + copies);
        setU16(newEnd + 10, u16(newEnd + 10) + copies);
        setU32(newEnd + 12, u32(newEnd + 12) + quint32(added.size()));
        return *this;
    }
    ZipPatch &flipDataByte(int entry, qsizetype at)
    {
        const qsizetype start = local(entry) + 30 + u16(local(entry) + 26) + u16(local(entry) + 28);
        m_bytes[start + at] = char(m_bytes[start + at] ^ 0x5A);
        return *this;
    }

private:
    quint16 u16(qsizetype at) const { return qFromLittleEndian<quint16>(m_bytes.constData() + at); }
    quint32 u32(qsizetype at) const { return qFromLittleEndian<quint32>(m_bytes.constData() + at); }
    void setU16(qsizetype at, quint16 value) { qToLittleEndian(value, m_bytes.data() + at); }
    void setU32(qsizetype at, quint32 value) { qToLittleEndian(value, m_bytes.data() + at); }

    qsizetype central(int entry) const
    {
        const qsizetype end = m_bytes.lastIndexOf("PK\x05\x06");
        qsizetype at = u32(end + 16);
        for (int i = 0; i < entry; ++i)
            at += 46 + u16(at + 28) + u16(at + 30) + u16(at + 32);
        return at;
    }
    qsizetype local(int entry) const { return u32(central(entry) + 42); }

    QByteArray m_bytes;
};

constexpr quint16 EncryptedFlag = 0x0001;
constexpr quint16 Utf8Flag = 0x0800;

QByteArray emptyArchive()
{
    return QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0');
}

QByteArray zeros(qsizetype size)
{
    return QByteArray(size, '\0');
}

QByteArray programStub()
{
    return QByteArray("MZ") + zeros(510);
}

QByteArray someText()
{
    QByteArray text;
    for (int i = 0; i < 400; ++i)
        text += "Line " + QByteArray::number(i) + " of a document about Ohm's law.\r\n";
    return text;
}

// Every file and link below `root` (folders themselves not listed), relative to it, sorted.
QStringList treeOf(const QString &root)
{
    QStringList found;
    QDirIterator it(
        root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        if (!info.isDir() || info.isSymLink())
            found.append(QDir(root).relativeFilePath(info.filePath()));
    }
    found.sort();
    return found;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

enum class Source { Bytes, Missing, Folder, Fifo };

// A fixture: the package beside a nested destination folder, so that a climb of one level
// ("../x") would still land inside the fixture and show up.
struct Fixture
{
    QTemporaryDir root;
    QString archive = root.filePath(QStringLiteral("package.lwz"));
    QString destination = root.filePath(QStringLiteral("unpacked/here"));

    Fixture() { QDir().mkpath(destination); }

    void place(Source source, const QByteArray &bytes) const
    {
        switch (source) {
        case Source::Bytes:
            writeFile(QDir(root.path()), QStringLiteral("package.lwz"), bytes);
            break;
        case Source::Missing:
            break;
        case Source::Folder:
            QDir().mkpath(archive);
            break;
        case Source::Fifo:
            QVERIFY(::mkfifo(QFile::encodeName(archive).constData(), 0600) == 0);
            break;
        }
    }
    // What the tree holds besides the package.
    QStringList written() const
    {
        QStringList tree = treeOf(root.path());
        tree.removeAll(QStringLiteral("package.lwz"));
        return tree;
    }
};

} // namespace

// Runs once with the calling thread alone and once with helper threads, which every package
// here, however small, is given.
class TestExtraction final : public QObject
{
    Q_OBJECT

public:
    explicit TestExtraction(const ExtractionLimits &threads)
        : m_threads(threads)
    {
    }

private:
    // The limits of a test, with the threads of this run.
    ExtractionLimits withThreads(ExtractionLimits limits = {}) const
    {
        limits.parallelFromBytes = m_threads.parallelFromBytes;
        limits.maxThreads = m_threads.maxThreads;
        return limits;
    }

    ExtractionLimits m_threads;
    QTemporaryDir m_outside; // where an absolute entry name points
    QString m_absoluteName;

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void recognisesPlainZipArchives_data();
    void recognisesPlainZipArchives();
    void unpacksFlat_data();
    void unpacksFlat();
    void refusesDamagedPackages_data();
    void refusesDamagedPackages();
    void limits_data();
    void limits();
    void reportsEachFileOnceInOrderWritten();
    void failureRemovesWhatItWroteAndNothingElse();
    void firstDamagedEntryInArchiveOrderIsTold();
    void laterOfManySameNamesWins();
    void fullDestinationIsToldFromADamagedPackage();
    void linkPlantedInDestinationIsNotFollowed();
    void runFolderIsGoneAfterShutdown();
};

void TestExtraction::initTestCase()
{
    QVERIFY(m_outside.isValid());
    m_absoluteName = m_outside.filePath(QStringLiteral("absolute.txt"));
}

void TestExtraction::cleanup()
{
    QCOMPARE(treeOf(m_outside.path()), QStringList());
}

void TestExtraction::recognisesPlainZipArchives_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("plain");

    const QByteArray valid = zipOf({ { "labwork.lbw", "[Header]\r\n" } });
    const auto bytes = int(Source::Bytes);
    QTest::newRow("nominal: archive") << bytes << valid << true;
    QTest::newRow("nominal: archive without entries") << bytes << emptyArchive() << true;
    QTest::newRow("robustness: missing file") << int(Source::Missing) << QByteArray() << false;
    QTest::newRow("robustness: folder") << int(Source::Folder) << QByteArray() << false;
    QTest::newRow("robustness: FIFO (must not wait for a writer)") << int(Source::Fifo) << QByteArray() << false;
    QTest::newRow("robustness: empty file") << bytes << QByteArray() << false;
    QTest::newRow("robustness: text file") << bytes << QByteArray("[Header]\r\nTitle=x\r\n") << false;
    QTest::newRow("robustness: self-extracting program")
        << bytes << ZipPatch(valid).prependProgram(programStub()).bytes() << false;
    QTest::newRow("robustness: archive behind other data") << bytes << programStub() + valid << false;
    QTest::newRow("robustness: truncated by one byte") << bytes << valid.first(valid.size() - 1) << false;
    QTest::newRow("robustness: truncated to half") << bytes << valid.first(valid.size() / 2) << false;
}

void TestExtraction::recognisesPlainZipArchives()
{
    QFETCH(int, source);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, plain);

    const Fixture fixture;
    fixture.place(Source(source), bytes);
    QCOMPARE(isPlainZipArchive(fixture.archive), plain);
}

void TestExtraction::unpacksFlat_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<FileMap>("expected");

    QTest::newRow("nominal: nested folders flattened")
        << zipOf({ { "labwork.lbw", "[Header]" }, { "docs/intro.htm", "<p>" }, { "pics/a/b/schema.bmp", "BM" } })
        << FileMap { { "labwork.lbw", "[Header]" }, { "intro.htm", "<p>" }, { "schema.bmp", "BM" } };
    QTest::newRow("nominal: Windows separators")
        << zipOf({ { "docs\\sub\\intro.htm", "<p>" } }) << FileMap { { "intro.htm", "<p>" } };
    QTest::newRow("nominal: deflated entries")
        << zipOf({ { "text.htm", someText(), true }, { "zeros.bin", zeros(100'000), true } })
        << FileMap { { "text.htm", someText() }, { "zeros.bin", zeros(100'000) } };
    QTest::newRow("nominal: folder entries skipped")
        << zipOf({ { "docs/", "" }, { "docs/a.htm", "a" } }) << FileMap { { "a.htm", "a" } };
    QTest::newRow("nominal: later of two same names wins")
        << zipOf({ { "a/doc.htm", "first" }, { "b/doc.htm", "second" } }) << FileMap { { "doc.htm", "second" } };
    QTest::newRow("nominal: empty entry") << zipOf({ { "empty.txt", "" } }) << FileMap { { "empty.txt", "" } };
    QTest::newRow("nominal: archive without entries") << emptyArchive() << FileMap {};

    // "Пример.htm" in CP866, as DOS-era Cyrillic archivers store it.
    QTest::newRow("names: CP866") << zipOf({ { "\x8F\xE0\xA8\xAC\xA5\xE0.htm", "x" } })
                                  << FileMap { { "Пример.htm", "x" } };
    const QByteArray utf8Name = QStringLiteral("Пример.htm").toUtf8();
    QTest::newRow("names: UTF-8 with the UTF-8 flag")
        << zipOf({ { utf8Name, "x" } }) << FileMap { { "Пример.htm", "x" } };
    QTest::newRow("names: UTF-8 without the UTF-8 flag")
        << ZipPatch(zipOf({ { utf8Name, "x" } })).setFlag(0, Utf8Flag, false).bytes()
        << FileMap { { "Пример.htm", "x" } };

    QTest::newRow("robustness: the run folder's marker is never written")
        << zipOf({ { ".kelvo-run-folder", "forged" }, { "docs/.kelvo-run-folder", "forged" }, { "a.htm", "a" } })
        << FileMap { { "a.htm", "a" } };
    QTest::newRow("robustness: climbing with ../")
        << zipOf({ { "../escaped.txt", "1" }, { "../../../../escaped2.txt", "2" } })
        << FileMap { { "escaped.txt", "1" }, { "escaped2.txt", "2" } };
    QTest::newRow("robustness: climbing with ..\\")
        << zipOf({ { "..\\escaped.txt", "1" }, { "a\\..\\..\\b.txt", "2" } })
        << FileMap { { "escaped.txt", "1" }, { "b.txt", "2" } };
    QTest::newRow("robustness: absolute name")
        << zipOf({ { QFile::encodeName(m_absoluteName), "1" } }) << FileMap { { "absolute.txt", "1" } };
    QTest::newRow("robustness: drive prefix")
        << zipOf({ { "C:\\evil.txt", "1" }, { "D:evil2.txt", "2" }, { "C:", "3" } })
        << FileMap { { "evil.txt", "1" }, { "evil2.txt", "2" } };
    // A path that starts with ":" names one of Qt's resources: the file would stay behind.
    QTest::newRow("robustness: names that start with a colon")
        << zipOf({ { ":intro.htm", "1" }, { "d\\:Crive.txt", "2" } })
        << FileMap { { ":intro.htm", "1" }, { ":Crive.txt", "2" } };
    QTest::newRow("robustness: dot names skipped")
        << zipOf({ { ".", "1" }, { "a/..", "2" }, { "..\\..", "3" }, { "ok", "4" } }) << FileMap { { "ok", "4" } };
    QTest::newRow("robustness: control characters skipped") << zipOf({ { "bell\x07.txt", "1" }, { "tab\t.txt", "2" },
        { "del\x7F.txt", "3" }, { "dir\x01/x.txt", "4" }, { "ok.txt", "5" } })
                                                            << FileMap { { "ok.txt", "5" } };
    QTest::newRow("robustness: symbolic link entry never written")
        << zipOf({ { "link.htm", QFile::encodeName(m_absoluteName), false, SymbolicLinkMode }, { "ok.txt", "5" } })
        << FileMap { { "ok.txt", "5" } };
    QTest::newRow("robustness: symbolic link entry, then a file of its name") << zipOf(
        { { "link/doc.htm", QFile::encodeName(m_absoluteName), false, SymbolicLinkMode }, { "doc.htm", "content" } })
                                                                              << FileMap { { "doc.htm", "content" } };
    QTest::newRow("robustness: folder and device entries skipped") << zipOf(
        { { "folder", "", false, 0040755 }, { "device", "", false, 0020644 }, { "file", "f", false, 0100644 } })
                                                                   << FileMap { { "file", "f" } };
}

void TestExtraction::unpacksFlat()
{
    QFETCH(QByteArray, archive);
    QFETCH(FileMap, expected);

    const Fixture fixture;
    fixture.place(Source::Bytes, archive);
    QStringList reported;
    const ExtractionResult result = extractPackage(
        fixture.archive, fixture.destination, [&](const QString &path) { reported.append(path); }, withThreads());

    QVERIFY2(result.ok, qPrintable(result.problem));
    QCOMPARE(reported, result.writtenFiles);
    QStringList expectedTree, expectedPaths;
    const QDir destination(fixture.destination);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QString path = destination.absolutePath() + u'/' + it.key();
        expectedTree.append(QStringLiteral("unpacked/here/") + it.key());
        expectedPaths.append(path);
        QCOMPARE(contentOf(path), it.value());
        QCOMPARE(
            QFileInfo(path).permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    }
    expectedTree.sort();
    QCOMPARE(fixture.written(), expectedTree);
    QStringList sortedReport = result.writtenFiles;
    sortedReport.sort();
    expectedPaths.sort();
    QCOMPARE(sortedReport, expectedPaths);
}

void TestExtraction::refusesDamagedPackages_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QString>("reason"); // what the problem says, in part

    // The damaged entry comes second, so that the first one has been written when it fails.
    const TestEntry first { "first.txt", "written before the damage" };
    const QByteArray stored = zipOf({ first, { "second.txt", someText() } });
    const QByteArray deflated = zipOf({ first, { "second.txt", someText(), true } });
    const auto bytes = int(Source::Bytes);

    QTest::newRow("not a ZIP: missing file")
        << int(Source::Missing) << QByteArray() << QStringLiteral("cannot open the package");
    QTest::newRow("not a ZIP: folder") << int(Source::Folder) << QByteArray()
                                       << QStringLiteral("cannot open the package");
    QTest::newRow("not a ZIP: text file")
        << bytes << QByteArray("[Header]\r\n") << QStringLiteral("not a plain ZIP archive");
    QTest::newRow("not a ZIP: self-extracting program")
        << bytes << ZipPatch(stored).prependProgram(programStub()).bytes() << QStringLiteral("not a plain ZIP archive");
    QTest::newRow("truncated archive") << bytes << stored.first(stored.size() - 10)
                                       << QStringLiteral("not a readable ZIP archive");
    QTest::newRow("encrypted entry") << bytes << ZipPatch(stored).setFlag(1, EncryptedFlag, true).bytes()
                                     << QStringLiteral("\"second.txt\" is encrypted");
    QTest::newRow("unsupported method: Deflate64") << bytes << ZipPatch(deflated).setMethod(1, 9).bytes()
                                                   << QStringLiteral("\"second.txt\" uses compression method 9,");
    QTest::newRow("unsupported method: PPMd") << bytes << ZipPatch(stored).setMethod(1, 98).bytes()
                                              << QStringLiteral("\"second.txt\" uses compression method 98,");
    QTest::newRow("corrupt: CRC field") << bytes << ZipPatch(stored).setCrc(1, 0x12345678).bytes()
                                        << QStringLiteral("\"second.txt\" is damaged");
    QTest::newRow("corrupt: stored data")
        << bytes << ZipPatch(stored).flipDataByte(1, 100).bytes() << QStringLiteral("\"second.txt\" is damaged");
    QTest::newRow("corrupt: deflated data")
        << bytes << ZipPatch(deflated).flipDataByte(1, 40).bytes() << QStringLiteral("\"second.txt\" is damaged");
    QTest::newRow("corrupt: UTF-8 flag on a name that is not UTF-8")
        << bytes << ZipPatch(zipOf({ first, { "\x8F\xE0.htm", "x" } })).setFlag(1, Utf8Flag, true).bytes()
        << QStringLiteral("not a readable ZIP archive: Zip archive inconsistent");
    QTest::newRow("sizes: data shorter than declared")
        << bytes << ZipPatch(stored).setSize(1, quint32(someText().size() + 1)).bytes()
        << QStringLiteral("\"second.txt\" is damaged");
    // 4 MiB of zeros deflate to about 4 KiB; the entry says it holds 1,000 bytes.
    QTest::newRow("bomb: inflates far beyond its declared size")
        << bytes << ZipPatch(zipOf({ first, { "bomb.bin", zeros(4 << 20), true } })).setSize(1, 1000).bytes()
        << QStringLiteral("\"bomb.bin\" holds more data than its declared 1000 bytes");

    // 50 entries of 1 MiB each, all unpacking the same 1 KiB of deflated zeros.
    QTest::newRow("bomb: entries that share one packed stream")
        << bytes << ZipPatch(zipOf({ first, { "bomb.bin", zeros(1 << 20), true } })).shareData(1, 50).bytes()
        << QStringLiteral("packed data overlap");

    QList<TestEntry> many;
    for (int i = 0; i <= ExtractionLimits().maxEntries; ++i)
        many.append({ "f" + QByteArray::number(i), "" });
    QTest::newRow("bomb: more entries than the cap") << bytes << zipOf(many) << QStringLiteral("more than 20000");
}

void TestExtraction::refusesDamagedPackages()
{
    QFETCH(int, source);
    QFETCH(QByteArray, archive);
    QFETCH(QString, reason);

    const Fixture fixture;
    fixture.place(Source(source), archive);
    bool reported = false;
    const ExtractionResult result = extractPackage(
        fixture.archive, fixture.destination, [&](const QString &) { reported = true; }, withThreads());

    QVERIFY(!result.ok);
    QVERIFY2(result.problem.contains(reason), qPrintable(result.problem));
    QVERIFY(result.writtenFiles.isEmpty());
    QVERIFY(!reported);
    QCOMPARE(fixture.written(), QStringList());
}

void TestExtraction::limits_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<ExtractionLimits>("limits");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("reason"); // of a refusal, in part

    const QByteArray three = zipOf({ { "a", "1" }, { "b", "2" }, { "c/", "" } });
    QTest::newRow("entries: as many as the cap (folders count)")
        << three << ExtractionLimits { .maxEntries = 3 } << true << QString();
    QTest::newRow("entries: one more than the cap")
        << three << ExtractionLimits { .maxEntries = 2 } << false << QStringLiteral("holds 3 entries, more than 2");

    const QByteArray twice600 = zipOf({ { "a", zeros(600) }, { "b", zeros(600), true } });
    QTest::newRow("bytes: as many as the cap")
        << twice600 << ExtractionLimits { .maxTotalBytes = 1200 } << true << QString();
    QTest::newRow("bytes: one more than the cap") << twice600 << ExtractionLimits { .maxTotalBytes = 1199 } << false
                                                  << QStringLiteral("unpacks to more than 1199 bytes");
    // The cap counts what is written; a duplicate name is written twice.
    QTest::newRow("bytes: duplicates count twice")
        << zipOf({ { "a", zeros(600) }, { "x/a", zeros(600) } }) << ExtractionLimits { .maxTotalBytes = 1000 } << false
        << QStringLiteral("unpacks to more than 1000 bytes");

    // 2 MiB of zeros deflate at about 1000 : 1, near the best deflate can do.
    const QByteArray packed = zipOf({ { "blank.bmp", zeros(2 << 20), true } });
    QTest::newRow("ratio: the best deflate can do passes") << packed << ExtractionLimits {} << true << QString();
    QTest::newRow("ratio: beyond the limit")
        << packed << ExtractionLimits { .maxCompressionRatio = 100 } << false << QStringLiteral("\"blank.bmp\" claims");
    QTest::newRow("ratio: a lie beyond what deflate can do")
        << ZipPatch(packed).setSize(0, 1u << 30).bytes() << ExtractionLimits { .maxTotalBytes = quint64(2) << 30 }
        << false << QStringLiteral("\"blank.bmp\" claims");

    // bzip2 packs zeros far better than deflate can: held to the same ratio, entry by entry and
    // for the whole package.
    QByteArray numbers;
    for (int i = 0; i < 100'000; ++i)
        numbers += QByteArray::number(i * 7919 % 100'003) + ' ';
    QTest::newRow("ratio: bzip2 of ordinary text passes")
        << zipOf({ bzip2("numbers.htm", numbers) }) << ExtractionLimits {} << true << QString();
    QTest::newRow("ratio: bzip2 beyond what deflate can do")
        << zipOf({ bzip2("blank.bmp", zeros(4 << 20)) }) << ExtractionLimits {} << false
        << QStringLiteral("\"blank.bmp\" claims");
    QList<TestEntry> megabytes;
    for (int i = 0; i < 40; ++i)
        megabytes.append(bzip2("blank" + QByteArray::number(i), zeros(1 << 20)));
    QTest::newRow("ratio: 40 bzip2 entries of 1 MiB, each too small to be checked alone")
        << zipOf(megabytes) << ExtractionLimits {} << false << QStringLiteral("the package unpacks to");
    QList<TestEntry> deflatedMegabytes;
    for (int i = 0; i < 40; ++i)
        deflatedMegabytes.append({ "blank" + QByteArray::number(i), zeros(1 << 20), true });
    QTest::newRow("ratio: 40 deflated entries of 1 MiB pass")
        << zipOf(deflatedMegabytes) << ExtractionLimits {} << true << QString();
}

void TestExtraction::limits()
{
    QFETCH(QByteArray, archive);
    QFETCH(ExtractionLimits, limits);
    QFETCH(bool, ok);
    QFETCH(QString, reason);

    const Fixture fixture;
    fixture.place(Source::Bytes, archive);
    const ExtractionResult result = extractPackage(fixture.archive, fixture.destination, {}, withThreads(limits));
    QVERIFY2(result.ok == ok, qPrintable(result.problem));
    if (!ok) {
        QVERIFY2(result.problem.contains(reason), qPrintable(result.problem));
        QCOMPARE(fixture.written(), QStringList());
    }
}

void TestExtraction::reportsEachFileOnceInOrderWritten()
{
    const Fixture fixture;
    fixture.place(Source::Bytes, zipOf({ { "a/x.htm", "1" }, { "y.htm", "2" }, { "b/x.htm", "3" }, { "w.htm", "4" } }));
    QStringList reported;
    const ExtractionResult result = extractPackage(
        fixture.archive, fixture.destination, [&](const QString &path) { reported.append(path); }, withThreads());

    QVERIFY2(result.ok, qPrintable(result.problem));
    const QDir destination(fixture.destination);
    const QStringList expected = { destination.absoluteFilePath(QStringLiteral("x.htm")),
        destination.absoluteFilePath(QStringLiteral("y.htm")), destination.absoluteFilePath(QStringLiteral("w.htm")) };
    QCOMPARE(reported, expected);
    QCOMPARE(result.writtenFiles, expected);
    QCOMPARE(contentOf(expected[0]), QByteArray("3"));
}

void TestExtraction::failureRemovesWhatItWroteAndNothingElse()
{
    const Fixture fixture;
    const QDir destination(fixture.destination);
    writeFile(destination, QStringLiteral("unrelated.txt"), "stays");
    writeFile(destination, QStringLiteral("overwritten.txt"), "old");
    fixture.place(Source::Bytes,
        ZipPatch(zipOf({ { "overwritten.txt", "new" }, { "new.txt", "x" }, { "bad.txt", someText() } }))
            .setCrc(2, 0)
            .bytes());

    const ExtractionResult result = extractPackage(fixture.archive, fixture.destination, {}, withThreads());
    QVERIFY(!result.ok);
    // A file the extraction truncated is as damaged as one it made: it goes too.
    QCOMPARE(fixture.written(), QStringList { QStringLiteral("unpacked/here/unrelated.txt") });
    QCOMPARE(contentOf(destination.filePath(QStringLiteral("unrelated.txt"))), QByteArray("stays"));
}

// A large entry damaged at its end fails after a small damaged one behind it has: the package's
// first damage is told, whichever thread met it, and no file of either thread stays.
void TestExtraction::firstDamagedEntryInArchiveOrderIsTold()
{
    QList<TestEntry> entries;
    for (int i = 0; i < 40; ++i)
        entries.append({ "before" + QByteArray::number(i) + ".htm", someText(), true });
    entries.append({ "large.bmp", someText().repeated(300), true });
    for (int i = 0; i < 40; ++i)
        entries.append({ "after" + QByteArray::number(i) + ".htm", someText(), true });
    ZipPatch patch(zipOf(entries));
    for (int i = 40; i < entries.size(); ++i)
        patch.setCrc(i, 1);
    const Fixture fixture;
    fixture.place(Source::Bytes, patch.bytes());

    const ExtractionResult result = extractPackage(fixture.archive, fixture.destination, {}, withThreads());
    QVERIFY(!result.ok);
    QVERIFY2(result.problem.startsWith(QStringLiteral("entry \"large.bmp\" is damaged")), qPrintable(result.problem));
    QCOMPARE(fixture.written(), QStringList());
}

// Pairs of entries that flatten to one name, one after the other, so that two threads would take
// the two of a pair at once.
void TestExtraction::laterOfManySameNamesWins()
{
    QList<TestEntry> entries;
    FileMap expected;
    for (int i = 0; i < 300; ++i) {
        const QByteArray name = "doc" + QByteArray::number(i) + ".htm";
        entries.append({ "first/" + name, someText() + "first", true });
        entries.append({ "second/" + name, "second" });
        expected.insert(QString::fromLatin1(name), "second");
    }
    const Fixture fixture;
    fixture.place(Source::Bytes, zipOf(entries));

    const ExtractionResult result = extractPackage(fixture.archive, fixture.destination, {}, withThreads());
    QVERIFY2(result.ok, qPrintable(result.problem));
    QCOMPARE(result.writtenFiles.size(), expected.size());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(contentOf(QDir(fixture.destination).filePath(it.key())), it.value());
}

void TestExtraction::fullDestinationIsToldFromADamagedPackage()
{
    // No room for the files (here the limit on file sizes, which fails a write as a full disk
    // does): the package is not to blame, and nothing is left.
    const Fixture fixture;
    fixture.place(Source::Bytes, zipOf({ { "small.htm", "x" }, { "big.bmp", zeros(1 << 20), true } }));
    const ExtractionResult full = [&] {
        const FileSizeLimit small(64 * 1024);
        return extractPackage(fixture.archive, fixture.destination, {}, withThreads());
    }();
    QVERIFY(!full.ok);
    QVERIFY2(full.destinationFull, qPrintable(full.problem));
    QCOMPARE(fixture.written(), QStringList());

    // With room it unpacks; a damaged package is no full disk.
    QVERIFY(extractPackage(fixture.archive, fixture.destination, {}, withThreads()).ok);
    fixture.place(Source::Bytes, ZipPatch(zipOf({ { "a.htm", "text" } })).setCrc(0, 1).bytes());
    const ExtractionResult damaged = extractPackage(fixture.archive, fixture.destination, {}, withThreads());
    QVERIFY(!damaged.ok);
    QVERIFY(!damaged.destinationFull);
}

void TestExtraction::linkPlantedInDestinationIsNotFollowed()
{
    const Fixture fixture;
    const QString target = writeFile(QDir(fixture.root.path()), QStringLiteral("target.txt"), "original");
    const QString link = QDir(fixture.destination).filePath(QStringLiteral("doc.htm"));
    QVERIFY(QFile::link(target, link));
    fixture.place(Source::Bytes, zipOf({ { "first.txt", "1" }, { "doc.htm", "overwrite through the link" } }));

    const ExtractionResult result = extractPackage(fixture.archive, fixture.destination, {}, withThreads());
    QVERIFY(!result.ok);
    QCOMPARE(contentOf(target), QByteArray("original"));
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(QDir(fixture.destination).filePath(QStringLiteral("first.txt"))));
}

// The whole life of a run: unpack into the run's folder, then the shutdown deletes the reported
// files and the folder goes with them.
void TestExtraction::runFolderIsGoneAfterShutdown()
{
    const QTemporaryDir temp;
    const QString archive = writeFile(QDir(temp.path()), QStringLiteral("data.lwz"),
        zipOf({ { "labwork.lbw", "[Header]" }, { "docs/intro.htm", "<p>" } }));
    RunFolder folder(temp.path());
    QVERIFY2(folder.isValid(), qPrintable(folder.errorString()));
    QStringList extractedFiles;
    QVERIFY(extractPackage(
        archive, folder.path(), [&](const QString &path) { extractedFiles.append(path); }, withThreads())
                .ok);
    QCOMPARE(extractedFiles.size(), 2);

    for (const QString &path : std::as_const(extractedFiles))
        QVERIFY(QFile::remove(path));
    QVERIFY(folder.removeIfEmpty());
    QCOMPARE(treeOf(temp.path()), QStringList { QStringLiteral("data.lwz") });
    QVERIFY(!QFileInfo::exists(folder.path()));
}

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    TestExtraction oneThread(ExtractionLimits { .maxThreads = 1 });
    TestExtraction threads(ExtractionLimits { .parallelFromBytes = 0, .maxThreads = 3 });
    const int failedAlone = QTest::qExec(&oneThread, argc, argv);
    return failedAlone + QTest::qExec(&threads, argc, argv);
}
#include "tst_extraction.moc"
