// Hostile and broken packages, end to end. Each package is built here, byte by byte where no
// archiver would write it, in a folder of its own, and opened by the real program (kelvo --dump)
// with a private temporary folder, home and working folder, under a memory limit. Whatever the
// package holds: the program answers with its start-up message or loads what it can, writes
// nothing outside its run's folder and leaves nothing behind when it exits.
// Chapters that read their files only when opened (documents, question files, schema pictures)
// are opened through the loader, in this process, the same way.

#include "ExperimentChapter.h"
#include "Localization.h"
#include "RuntimeErrors.h"
#include "SchemaPicture.h"
#include "StartupLoader.h"
#include "TestSupport.h"
#include "TextFormat.h"
#include "tst_hostile_fixture.h"

#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <QTest>

#include <array>
#include <functional>
#include <optional>

#include <sys/resource.h>

using namespace kelvo;
using namespace kelvo::test;

namespace {

const QByteArray Descriptor = "[Header]\r\nTitle=Hostile\r\n[intro]\r\nType=Information\r\nTitle=Intro\r\n"
                              "Document=intro.htm\r\n";

RawEntry descriptorEntry(const QByteArray &text = Descriptor)
{
    return stored("labwork.lbw", text);
}

QByteArray package(QList<RawEntry> entries)
{
    return assembleZip(entries);
}

constexpr quint32 UnixSymbolicLink = 0120777u << 16;
constexpr quint32 UnixCharacterDevice = 0020644u << 16;
constexpr quint16 Unix = 3 << 8 | 20;

RawEntry unixEntry(RawEntry entry, quint32 attributes)
{
    entry.madeBy = Unix;
    entry.externalAttributes = attributes;
    return entry;
}

QList<RawEntry> tinyEntries(int count)
{
    QList<RawEntry> entries { descriptorEntry() };
    entries.reserve(count);
    for (int i = 1; i < count; ++i)
        entries.append(stored("f" + QByteArray::number(i), QByteArray()));
    return entries;
}

// An archive bomb in the manner of D. Fifield's: one deflated stream, many entries.
QByteArray overlappingBomb(int entries, qsizetype unpacked)
{
    QList<RawEntry> list { descriptorEntry(), deflated("kernel", QByteArray(unpacked, '\0')) };
    for (int i = 0; i < entries; ++i) {
        RawEntry copy = list[1];
        copy.name = "copy" + QByteArray::number(i);
        copy.sharesPreviousData = true;
        list.append(copy);
    }
    return assembleZip(list);
}

QByteArray bmpClaiming(qint32 width, qint32 height)
{
    ByteWriter dib;
    dib.u32(40).u32(quint32(width)).u32(quint32(height)).u16(1).u16(24).u32(0).u32(0).u32(2835).u32(2835).u32(0).u32(0);
    ByteWriter file;
    file.raw("BM").u32(14 + 40 + 12).u16(0).u16(0).u32(14 + 40).raw(dib.bytes).raw(QByteArray(12, '\x7f'));
    return file.bytes;
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    std::array<char, 4> length;
    qToBigEndian(quint32(data.size()), length.data());
    std::array<char, 4> crc;
    qToBigEndian(crc32Of(QByteArray(type + data)), crc.data());
    return QByteArray(length.data(), 4) + type + data + QByteArray(crc.data(), 4);
}

QByteArray pngClaiming(quint32 width, quint32 height)
{
    std::array<char, 13> header {};
    qToBigEndian(width, header.data());
    qToBigEndian(height, header.data() + 4);
    header[8] = 8; // bit depth
    header[9] = 2; // RGB
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", QByteArray(header.data(), 13))
        + pngChunk("IDAT", qCompress(QByteArray(64, '\0')).mid(4)) + pngChunk("IEND", {});
}

// An icon whose directory promises more images than the file holds, at offsets beyond its end.
QByteArray icoWithLyingDirectory()
{
    ByteWriter ico;
    ico.u16(0).u16(1).u16(200);
    for (int i = 0; i < 3; ++i)
        ico.raw(QByteArray("\x00\x00\x00\x00", 4)).u16(1).u16(32).u32(0x7FFFFFF0).u32(0x7FFFFFF0);
    return ico.bytes;
}

// A JPEG start that declares 65,000 x 65,000 pixels, and then ends.
QByteArray jpegClaimingHugeAndCutShort()
{
    return QByteArray::fromHex("ffd8ffc0001108fde8fde803012200021101031101");
}

// A placeable metafile whose only record claims four gigabytes.
QByteArray wmfWithLyingRecord()
{
    ByteWriter wmf;
    wmf.u32(0x9AC6CDD7).u16(0).u16(0).u16(0).u16(1000).u16(1000).u16(1440).u32(0);
    quint16 check = 0;
    for (qsizetype i = 0; i < 20; i += 2)
        check ^= qFromLittleEndian<quint16>(wmf.bytes.constData() + i);
    wmf.u16(check);
    wmf.u16(1).u16(9).u16(0x300).u32(Max32).u16(1).u32(Max32).u16(0);
    wmf.u32(Max32).u16(0x0201).u32(0x00FFFFFF);
    return wmf.bytes;
}

// An EMF header that claims bounds of two billion pixels and more records than it has.
QByteArray emfWithLyingHeader()
{
    ByteWriter emf;
    emf.u32(1).u32(108).u32(0).u32(0).u32(0x7FFFFFFF).u32(0x7FFFFFFF);
    emf.u32(0).u32(0).u32(0x7FFFFFFF).u32(0x7FFFFFFF);
    emf.u32(0x464D4520).u32(0x10000).u32(Max32).u32(Max32).u16(0).u16(0).u32(0).u32(0).u32(0);
    emf.u32(1024).u32(768).u32(320).u32(240);
    while (emf.bytes.size() < 108)
        emf.u32(0);
    emf.u32(14).u32(20).u32(0).u32(16).u32(20);
    return emf.bytes;
}

using bounded::MaxResidentBytes;
using bounded::peakResidentBytes;

struct Run
{
    bool finished = false;
    int exitCode = -1;
    QJsonObject json;
    QString err;
};

// kelvo --dump on the sandbox's package, within the bounds every hostile run has.
Run runDump(const Sandbox &box)
{
    const bounded::Run run = bounded::runProgram(box, { QStringLiteral("--dump"), box.package });
    return { run.finished, run.exitCode, QJsonDocument::fromJson(run.out).object(), run.err };
}

enum class Outcome { Loads, DamagedPackage, DescriptorError };

// Checks of the JSON of a package that loads.
using JsonProbe = std::function<void(const QJsonObject &)>;

QStringList extractedNames(const QJsonObject &json)
{
    QStringList names;
    for (const QJsonValue &path : json.value(QStringLiteral("ExtractedFiles")).toArray())
        names.append(QFileInfo(path.toString()).fileName());
    names.sort();
    return names;
}

JsonProbe extracts(QStringList names)
{
    names.sort();
    return [names](const QJsonObject &json) { QCOMPARE(extractedNames(json), names); };
}

JsonProbe titleIs(const QString &title)
{
    return [title](const QJsonObject &json) { QCOMPARE(json.value(QStringLiteral("Title")).toString(), title); };
}

JsonProbe chapterCount(int count)
{
    return
        [count](const QJsonObject &json) { QCOMPARE(json.value(QStringLiteral("Chapters")).toArray().size(), count); };
}

// The same process environment for loading in this process.
class PrivateEnvironment final
{
public:
    explicit PrivateEnvironment(const Sandbox &box)
        : m_tmp(qgetenv("TMPDIR"))
        , m_home(qgetenv("HOME"))
        , m_runtime(qgetenv("XDG_RUNTIME_DIR"))
        , m_directory(box.work)
    {
        qputenv("TMPDIR", QFile::encodeName(box.tmp));
        qputenv("HOME", QFile::encodeName(box.home));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(box.runtime));
    }
    ~PrivateEnvironment()
    {
        qputenv("TMPDIR", m_tmp);
        qputenv("HOME", m_home);
        qputenv("XDG_RUNTIME_DIR", m_runtime);
    }
    Q_DISABLE_COPY_MOVE(PrivateEnvironment)

private:
    QByteArray m_tmp;
    QByteArray m_home;
    QByteArray m_runtime;
    CurrentDirectory m_directory;
};

} // namespace

Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(JsonProbe)

class TestHostilePackages final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void packages_data();
    void packages();
    void openingChapters_data();
    void openingChapters();
};

void TestHostilePackages::initTestCase()
{
    QVERIFY(QFileInfo(qEnvironmentVariable("KELVO_BINARY_DIR") + QStringLiteral("/bin/kelvo")).isExecutable());
#ifndef KELVO_TEST_SANITIZED
    // Chapters opened in this process stay within bounds too.
    const rlimit space { rlim_t(3) << 30, rlim_t(3) << 30 };
    QVERIFY(::setrlimit(RLIMIT_AS, &space) == 0);
#endif
}

void TestHostilePackages::packages_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<JsonProbe>("probe");

    const JsonProbe none = [](const QJsonObject &) {};
    const RawEntry lbw = descriptorEntry();
    const auto loads = Outcome::Loads;
    const auto damaged = Outcome::DamagedPackage;
    const auto descriptorError = Outcome::DescriptorError;

    QTest::newRow("names: climbing, absolute, drive letters")
        << package({ lbw, stored("../up.htm", "1"), stored("..\\..\\up2.htm", "2"), stored("/tmp/abs.htm", "3"),
               stored("C:\\Windows\\drive.htm", "4"), stored("D:rel.htm", "5") })
        << loads << extracts({ "labwork.lbw", "up.htm", "up2.htm", "abs.htm", "drive.htm", "rel.htm" });
    QTest::newRow("names: device names are plain files in the run's folder")
        << package({ lbw, stored("CON", "1"), stored("nul.htm", "2"), stored("/dev/null", "3"), stored("COM1", "4"),
               unixEntry(stored("tty0", ""), UnixCharacterDevice) })
        << loads << extracts({ "labwork.lbw", "CON", "nul.htm", "null", "COM1" });
    QTest::newRow("names: a symbolic link to the student's files is never written")
        << package({ lbw, unixEntry(stored("intro.htm", "/etc/passwd"), UnixSymbolicLink),
               unixEntry(stored("home/notes.txt", "../../home/notes.txt"), UnixSymbolicLink) })
        << loads << extracts({ "labwork.lbw" });
    QTest::newRow("names: starting with a colon, as Qt's resources do")
        << package({ lbw, stored(":intro.htm", "1"), stored("d\\:Crive.htm", "2") }) << loads
        << extracts({ "labwork.lbw", ":intro.htm", ":Crive.htm" });
    QTest::newRow("names: 1,000 characters, more than a file name may have")
        << package({ lbw, stored(QByteArray(1000, 'n'), "x") }) << damaged << none;
    QTest::newRow("names: a folder path of 1,000 characters is dropped")
        << package({ lbw, stored(QByteArray(1000, 'd') + "/intro.htm", "x") }) << loads
        << extracts({ "labwork.lbw", "intro.htm" });
    QTest::newRow("names: duplicates, the later wins")
        << package({ lbw, stored("a/intro.htm", "first"), stored("b/intro.htm", "second") }) << loads
        << extracts({ "labwork.lbw", "intro.htm" });

    QTest::newRow("entries: 100,000 tiny ones") << assembleZip(tinyEntries(100'000)) << damaged << none;
    QTest::newRow("entries: 20,000, as many as allowed, all removed at exit")
        << assembleZip(tinyEntries(20'000)) << loads << JsonProbe([](const QJsonObject &json) {
               QCOMPARE(json.value(QStringLiteral("ExtractedFiles")).toArray().size(), 20'000);
           });

    RawEntry tenGigabytes = deflated("bomb.bin", QByteArray(1 << 20, '\0'));
    tenGigabytes.packed = QByteArray(1 << 20, '\x55');
    tenGigabytes.size = quint64(10) << 30;
    tenGigabytes.zip64 = true;
    // Refused on its headers: whatever the data would inflate to is never looked at.
    QTest::newRow("bomb: 10 GB declared in 1 MB") << package({ lbw, tenGigabytes }) << damaged << none;
    RawEntry lying = deflated("bomb.bin", QByteArray(16 << 20, '\0'));
    lying.size = 1000;
    QTest::newRow("bomb: 1,000 bytes declared, 16 MB inside") << package({ lbw, lying }) << damaged << none;
    QTest::newRow("bomb: 300 entries unpacking one stream of 1 MB") << overlappingBomb(300, 1 << 20) << damaged << none;

    RawEntry zip64 = stored("intro.htm", "<p>in a ZIP64 entry</p>");
    zip64.zip64 = true;
    RawEntry zip64Descriptor = lbw;
    zip64Descriptor.zip64 = true;
    QTest::newRow("format: ZIP64 fields throughout")
        << package({ zip64Descriptor, zip64 }) << loads << extracts({ "labwork.lbw", "intro.htm" });
    RawEntry encrypted = stored("intro.htm", "secret");
    encrypted.flags = 1;
    QTest::newRow("format: encrypted entry") << package({ lbw, encrypted }) << damaged << none;
    RawEntry unknownMethod = stored("intro.htm", "x");
    unknownMethod.method = 77;
    QTest::newRow("format: unknown compression method") << package({ lbw, unknownMethod }) << damaged << none;
    const QByteArray whole = package({ lbw, deflated("intro.htm", QByteArray(5000, 'x')) });
    QTest::newRow("format: truncated archive") << whole.first(whole.size() - 30) << damaged << none;
    QTest::newRow("format: empty archive, no descriptor") << assembleZip({}) << descriptorError << none;
    RawEntry badCrc = stored("intro.htm", "<p>text</p>");
    badCrc.crc ^= 1;
    QTest::newRow("format: CRC mismatch") << package({ lbw, badCrc }) << damaged << none;

    RawEntry sizeLie = stored("intro.htm", "<p>text</p>");
    sizeLie.centralSize = 5000;
    QTest::newRow("central directory: a size larger than the data") << package({ lbw, sizeLie }) << damaged << none;
    RawEntry offsetLie = stored("intro.htm", "<p>text</p>");
    offsetLie.centralOffset = 0;
    QTest::newRow("central directory: an offset at another entry") << package({ lbw, offsetLie }) << damaged << none;
    RawEntry offsetBeyond = stored("intro.htm", "<p>text</p>");
    offsetBeyond.centralOffset = 1'000'000;
    QTest::newRow("central directory: an offset beyond the end") << package({ lbw, offsetBeyond }) << damaged << none;
    QTest::newRow("central directory: more entries counted than stored")
        << assembleZip({ lbw, stored("intro.htm", "x") }, 7) << damaged << none;

    QByteArray fiftyMegabytes = "[Header]\r\nTitle=Big\r\n[s]\r\n";
    fiftyMegabytes.reserve(50 << 20);
    while (fiftyMegabytes.size() < (50 << 20))
        fiftyMegabytes += "k=v\r\n";
    QTest::newRow("descriptor: 50 MB of keys")
        << package({ deflated("labwork.lbw", fiftyMegabytes) }) << descriptorError << none;
    QTest::newRow("descriptor: a NUL byte is read like any other")
        << package({ descriptorEntry(QByteArray("[Header]\r\nTitle=x\0y\r\n", 21)) }) << loads
        << titleIs(QString::fromLatin1("x\0y", 3));
    const QByteArray megabyteLine(1 << 20, 'T');
    QTest::newRow("descriptor: lines of 1 MB")
        << package({ deflated("labwork.lbw",
               "[Header]\r\nTitle=" + megabyteLine + "\r\n; " + megabyteLine
                   + "\r\n[intro]\r\nType=Information\r\nTitle=after the long lines\r\n[" + megabyteLine
                   + "]\r\nType=Information\r\n") })
        << loads << JsonProbe([megabyteLine](const QJsonObject &json) {
               QCOMPARE(json.value(QStringLiteral("Title")).toString(), QString::fromLatin1(megabyteLine.first(2047)));
               // The section of a long name does not fit the list of section names: no chapter.
               const QJsonArray chapters = json.value(QStringLiteral("Chapters")).toArray();
               QCOMPARE(chapters.size(), 1);
               QCOMPARE(chapters[0].toObject().value(QStringLiteral("Title")).toString(),
                   QStringLiteral("after the long lines"));
           });
    QByteArray manySections = "[Header]\r\nTitle=Sections\r\n";
    for (int i = 0; i < 10'000; ++i)
        manySections += "[c" + QByteArray::number(10'000 + i) + "]\r\nType=Information\r\n";
    // The list of section names takes 16,384 bytes with a closing zero: "Header" and the first
    // 2,339 chapters' names ("c10000" on), 7 bytes each with their zeros, fit.
    QTest::newRow("descriptor: 10,000 sections")
        << package({ deflated("labwork.lbw", manySections) }) << loads << chapterCount(2339);
    QTest::newRow("descriptor: bytes that are neither Windows-1251 nor UTF-8")
        << package({ descriptorEntry("[Header]\r\nTitle=\x98\xC3\x28\xE2\x82\r\n[\xFF\xFE]\r\nType=Information\r\n") })
        << loads << JsonProbe([](const QJsonObject &json) {
               QCOMPARE(json.value(QStringLiteral("Title")).toString(), QStringLiteral("\u0098Г(в‚"));
               QCOMPARE(json.value(QStringLiteral("Chapters")).toArray().size(), 1);
           });
    QTest::newRow("descriptor: UTF-8 that breaks off inside a character")
        << package({ descriptorEntry("\xEF\xBB\xBF[Header]\r\nTitle=\xD0\x9F\xD1\r\n") }) << loads
        << titleIs(QStringLiteral("П\uFFFD"));
}

void TestHostilePackages::packages()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Outcome, outcome);
    QFETCH(JsonProbe, probe);

    const Sandbox box(bytes);
    const QStringList before = box.state();
    const Run run = runDump(box);
    QVERIFY2(run.finished, "the program did not finish");
    QVERIFY2(run.exitCode >= 0, qPrintable(QStringLiteral("the program crashed: ") + run.err.right(2000)));

    switch (outcome) {
    case Outcome::Loads: {
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(run.err, QString());
        // Every file went into one private folder of this run, in the sandbox's private runtime
        // folder, which has room for these small packages.
        const QJsonArray files = run.json.value(QStringLiteral("ExtractedFiles")).toArray();
        QVERIFY(!files.isEmpty());
        const QString runFolder = QFileInfo(files.first().toString()).absolutePath();
        QCOMPARE(QFileInfo(runFolder).absolutePath(), box.runtime);
        QVERIFY(QFileInfo(runFolder).fileName().startsWith(QStringLiteral("vemratmp-")));
        for (const QJsonValue &file : files)
            QCOMPARE(QFileInfo(file.toString()).absolutePath(), runFolder);
        probe(run.json);
        break;
    }
    case Outcome::DamagedPackage:
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, format(Texts::DamagedPackage, { box.package }) + u'\n');
        break;
    case Outcome::DescriptorError: {
        QCOMPARE(run.exitCode, 1);
        const QString expected
            = format(Texts::DescriptorError, { box.runtime + QStringLiteral("/vemratmp-XXXXXX/labwork.lbw") });
        const QString pattern = QRegularExpression::escape(expected + u'\n')
                                    .replace(QStringLiteral("XXXXXX"), QStringLiteral("[A-Za-z0-9]{6}"));
        QVERIFY2(QRegularExpression(QStringLiteral("\\A") + pattern + QStringLiteral("\\z")).match(run.err).hasMatch(),
            qPrintable(run.err));
        break;
    }
    }
    // Nothing written outside the run's folder, and the folder gone with its files.
    QCOMPARE(box.state(), before);
    // The largest of the runs so far: the first row over the limit fails.
    QVERIFY2(peakResidentBytes(RUSAGE_CHILDREN) <= MaxResidentBytes,
        qPrintable(QStringLiteral("%1 MB").arg(peakResidentBytes(RUSAGE_CHILDREN) >> 20)));
}

// Opens one chapter of a package as the main window does: the document or quiz page built, or
// the schema picture decoded and drawn. "error" is the text of the error report, empty when the
// chapter opens.
void TestHostilePackages::openingChapters_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("chapter");
    QTest::addColumn<QString>("error");

    const RawEntry lbw
        = descriptorEntry("[Header]\r\nTitle=Chapters\r\n[intro]\r\nType=Information\r\nDocument=intro.htm\r\n"
                          "[quiz]\r\nType=Examination\r\nIdentifier=1\r\nQuestions=1\r\n"
                          "[bench]\r\nType=Experiment\r\nSchemaFile=schema.ini\r\n");
    const auto withPicture = [&](const QByteArray &name, const QByteArray &bytes) {
        return package({ lbw, stored("schema.ini", "[SchemaHeader]\r\nImageFile=" + name + "\r\nTitle=t\r\n"),
            stored(name, bytes) });
    };
    const auto withQuestion = [&](const QByteArray &name, const QByteArray &bytes) {
        return package({ lbw, deflated(name, bytes) });
    };
    const auto withDocument = [&](const QByteArray &bytes) { return package({ lbw, deflated("intro.htm", bytes) }); };
    const QString quiz = QStringLiteral("quiz");
    const QString bench = QStringLiteral("bench");
    const QString intro = QStringLiteral("intro");

    QTest::newRow("question file: no separator") << withQuestion("c001.q001.vA.q", "<p>text</p>\r\n<!--end-->\r\n")
                                                 << quiz << QStringLiteral("List index out of bounds (2)");
    QTest::newRow("question file: a range file with one separator") << withQuestion("c001.q001.range.q",
        "x=RAND()\r\n<!--END-->\r\n<p>text</p>\r\n") << quiz << QStringLiteral("List index out of bounds (3)");
    QTest::newRow("question file: lines of 1 MB")
        << withQuestion("c001.q001.vA.q", QByteArray(1 << 20, 'q') + "\r\n<!--END-->\r\n" + QByteArray(1 << 20, 'a'))
        << quiz << QString();
    QTest::newRow("question file: bytes that are neither Windows-1251 nor UTF-8")
        << withQuestion("c001.q001.vA.q", "\x98\xC3\x28\xE2\x82\r\n<!--END-->\r\n\xFF") << quiz << QString();
    QByteArray tinyLines;
    tinyLines.reserve(48 << 20);
    tinyLines += "<!--END-->\n";
    while (tinyLines.size() < (48 << 20))
        tinyLines += "a\n";
    QTest::newRow("question file: 48 MB of one-letter answer lines")
        << withQuestion("c001.q001.vA.q", tinyLines) << quiz << format(Texts::QuizPageTooLarge, { qint64(1) });
    QByteArray lineBreaks(60 << 20, '\n');
    QTest::newRow("document: 60 MB of line breaks") << withDocument(lineBreaks) << intro << QString();

    QTest::newRow("picture: a bitmap that claims 100,000 x 100,000 pixels") << withPicture("schema.bmp",
        bmpClaiming(100'000, 100'000)) << bench << format(Texts::InvalidBitmap, { QStringLiteral("./schema.bmp") });
    QTest::newRow("picture: a bitmap of negative width") << withPicture(
        "schema.bmp", bmpClaiming(-5, 5)) << bench << format(Texts::InvalidBitmap, { QStringLiteral("./schema.bmp") });
    QTest::newRow("picture: a PNG that claims 100,000 x 100,000 pixels in 200 bytes") << withPicture("schema.png",
        pngClaiming(100'000, 100'000)) << bench << format(Texts::PictureTooLarge, { QStringLiteral("./schema.png") });
    QTest::newRow("picture: a PNG of 4,000 x 4,000 pixels in 200 bytes") << withPicture("schema.png",
        pngClaiming(4000, 4000)) << bench << format(Texts::InvalidPng, { QStringLiteral("./schema.png") });
    QTest::newRow("picture: an icon whose directory lies") << withPicture("schema.ico",
        icoWithLyingDirectory()) << bench << format(Texts::InvalidIcon, { QStringLiteral("./schema.ico") });
    QTest::newRow("picture: a JPEG that claims 65,000 x 65,000 pixels and ends") << withPicture("schema.jpg",
        jpegClaimingHugeAndCutShort()) << bench << format(Texts::InvalidJpeg, { QStringLiteral("./schema.jpg") });
    QTest::newRow("picture: a metafile record of four gigabytes") << withPicture("schema.wmf",
        wmfWithLyingRecord()) << bench << format(Texts::InvalidMetafile, { QStringLiteral("./schema.wmf") });
    QTest::newRow("picture: an enhanced metafile that claims two billion pixels") << withPicture("schema.emf",
        emfWithLyingHeader()) << bench << format(Texts::PictureTooLarge, { QStringLiteral("./schema.emf") });
}

void TestHostilePackages::openingChapters()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, chapter);
    QFETCH(QString, error);

    const Sandbox box(bytes);
    const QStringList before = box.state();
    {
        const PrivateEnvironment environment(box);
        LoadedLabWork loaded = loadLabWork(box.package);
        QVERIFY2(loaded.labWork, qPrintable(loaded.errorMessage));
        TChapter *found = nullptr;
        for (int i = 0; i < loaded.labWork->Chapters().Count(); ++i) {
            if (loaded.labWork->Chapters().Items(i)->SectionName == chapter)
                found = loaded.labWork->Chapters().Items(i);
        }
        QVERIFY(found);
        QString message;
        try {
            if (const auto *experiment = dynamic_cast<TExperimentChapter *>(found)) {
                const SchemaPicture picture = SchemaPicture::load(experiment->ImageFile);
                QVERIFY(!picture.image().isNull());
            } else {
                const QByteArray page = found->GetHTML();
                QVERIFY(!page.isEmpty());
            }
        } catch (const ERuntimeError &raised) {
            message = raised.message();
        }
        releaseLabWork(loaded);
        QCOMPARE(message, error);
    }
    QCOMPARE(box.state(), before);
    QVERIFY2(peakResidentBytes(RUSAGE_SELF) <= MaxResidentBytes,
        qPrintable(QStringLiteral("%1 MB").arg(peakResidentBytes(RUSAGE_SELF) >> 20)));
}

QTEST_MAIN(TestHostilePackages)

#include "tst_hostile_packages.moc"
