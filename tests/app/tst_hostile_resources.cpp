// Small hostile packages that would take the machine's disk, memory or the student's files, and
// packages that a careful user makes by accident, end to end: each is opened by the real program
// (kelvo --dump) with a private temporary folder, home and working folder, under a memory limit.
// Each ends with the start-up message or loads what it can, within a bounded memory, and leaves
// nothing behind.

#include "IniFile.h"
#include "LabWork.h"
#include "Localization.h"
#include "RunFolder.h"
#include "RuntimeErrors.h"
#include "StartupLoader.h"
#include "TestSupport.h"
#include "TextFormat.h"
#include "tst_hostile_fixture.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <functional>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

using namespace kelvo;
using namespace kelvo::test;

#if defined(__SANITIZE_ADDRESS__)
#define KELVO_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVO_TEST_SANITIZED 1
#endif
#endif

namespace {

const QByteArray Descriptor = "[Header]\r\nTitle=Hostile\r\n[intro]\r\nType=Information\r\nTitle=Intro\r\n"
                              "Document=intro.htm\r\n";

// The largest address space the program may take; its libraries alone map about 300 MB.
constexpr rlim_t MaxAddressSpace = rlim_t(1) << 30;
constexpr rlim_t MaxFileSize = rlim_t(256) << 20;
#ifdef KELVO_TEST_SANITIZED
constexpr qint64 MaxResidentBytes = qint64(2) << 30;
#else
constexpr qint64 MaxResidentBytes = qint64(640) << 20;
#endif

// The highest resident size of the largest child that ended.
qint64 peakChildResidentBytes()
{
    rusage usage {};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

// How one run is started, beyond the sandbox's folders.
struct RunSetup
{
    QString program; // empty: the program under test
    QStringList arguments; // empty: --dump and the sandbox's package
    std::function<void(QProcessEnvironment &)> environment;
    std::function<void()> inChild; // runs in the child before the program starts
};

struct Run
{
    bool finished = false;
    int exitCode = -1;
    QJsonObject json;
    QString err;
};

Run runKelvo(const Sandbox &box, const RunSetup &setup = {})
{
    QProcess process;
    QProcessEnvironment environment = box.environment();
#ifdef KELVO_TEST_SANITIZED
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
        environment.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":hard_rss_limit_mb=1024"));
#endif
    if (setup.environment)
        setup.environment(environment);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(box.work);
    process.setChildProcessModifier([&setup] {
#ifndef KELVO_TEST_SANITIZED
        const rlimit space { MaxAddressSpace, MaxAddressSpace };
        ::setrlimit(RLIMIT_AS, &space);
#endif
        const rlimit fileSize { MaxFileSize, MaxFileSize };
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        if (setup.inChild)
            setup.inChild();
    });
    process.start(setup.program.isEmpty() ? qEnvironmentVariable("KELVO_BINARY_DIR") + QStringLiteral("/bin/kelvo")
                                          : setup.program,
        setup.arguments.isEmpty() ? QStringList { QStringLiteral("--dump"), box.package } : setup.arguments);
    Run run;
    run.finished = process.waitForFinished(120'000);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// The data of one entry as libzip packs it with `method`.
QByteArray packedWith(const QByteArray &data, zip_int32_t method)
{
    const QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("one.zip")));
    int error = 0;
    zip_t *archive = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        qFatal("cannot create a test archive (libzip error %d)", error);
    zip_source_t *source = zip_source_buffer(archive, data.constData(), zip_uint64_t(data.size()), 0);
    const zip_int64_t index = zip_file_add(archive, "data", source, 0);
    if (index < 0 || zip_set_file_compression(archive, zip_uint64_t(index), method, 0) != 0 || zip_close(archive) != 0)
        qFatal("cannot write a test archive");
    archive = zip_open(path.constData(), ZIP_RDONLY, &error);
    zip_file_t *file = archive ? zip_fopen_index(archive, 0, ZIP_FL_COMPRESSED) : nullptr;
    if (!file)
        qFatal("cannot read the test archive back");
    QByteArray packed;
    char chunk[64 * 1024];
    zip_int64_t got;
    while ((got = zip_fread(file, chunk, sizeof chunk)) > 0)
        packed.append(chunk, qsizetype(got));
    zip_fclose(file);
    zip_discard(archive);
    return packed;
}

constexpr quint16 Bzip2 = 12;

// `count` entries of `size` zero bytes each, packed with bzip2 (each its own copy of one stream).
QList<RawEntry> bzip2Zeros(int count, qsizetype size)
{
    const QByteArray zeros(size, '\0');
    RawEntry entry = stored("zeros", zeros);
    entry.packed = packedWith(zeros, ZIP_CM_BZIP2);
    entry.method = Bzip2;
    QList<RawEntry> entries;
    for (int i = 0; i < count; ++i) {
        entry.name = "zeros" + QByteArray::number(i) + ".bmp";
        entries.append(entry);
    }
    return entries;
}

// A schema file of `bytes` bytes of "a=b" lines (each line costs the reader far more than its
// bytes), whose title is `title`.
QByteArray schemaOfLines(qint64 bytes, const QByteArray &title)
{
    QByteArray text = "[SchemaHeader]\r\nTitle=" + title + "\r\n[s]\r\n";
    text.reserve(bytes);
    while (text.size() + 5 <= bytes)
        text += "a=b\r\n";
    return text;
}

// A descriptor of experiments named c0, c1, ... with the schema files given, in order.
RawEntry experiments(const QList<QByteArray> &schemaFiles)
{
    QByteArray text = "[Header]\r\nTitle=Schemas\r\n";
    for (qsizetype i = 0; i < schemaFiles.size(); ++i)
        text += "[c" + QByteArray::number(i) + "]\r\nType=Experiment\r\nSchemaFile=" + schemaFiles[i] + "\r\n";
    return stored("labwork.lbw", text);
}

using JsonProbe = std::function<void(const QJsonObject &)>;

JsonProbe experimentTitles(QStringList titles)
{
    return [titles](const QJsonObject &json) {
        QStringList seen;
        for (const QJsonValue &chapter : json.value(QStringLiteral("Chapters")).toArray())
            seen.append(chapter.toObject().value(QStringLiteral("SchemaTitle")).toString());
        QCOMPARE(seen, titles);
    };
}

enum class Outcome { Loads, DamagedPackage };

// The message that names the descriptor in a run folder under `tmp` (its name is random).
bool isDescriptorErrorUnder(const QString &err, const QString &tmp)
{
    const QString expected = format(Texts::DescriptorError, { tmp + QStringLiteral("/vemratmp-XXXXXX/labwork.lbw") });
    const QString pattern = QRegularExpression::escape(expected + u'\n')
                                .replace(QStringLiteral("XXXXXX"), QStringLiteral("[A-Za-z0-9]{6}"));
    return QRegularExpression(QStringLiteral("\\A") + pattern + QStringLiteral("\\z")).match(err).hasMatch();
}

// A descriptor of `count` information chapters: its dump is far larger than a pipe holds.
QByteArray manyChapters(int count)
{
    QByteArray text = "[Header]\r\nTitle=Many\r\n";
    for (int i = 0; i < count; ++i)
        text += "[c" + QByteArray::number(i) + "]\r\nType=Information\r\nTitle=Chapter " + QByteArray::number(i)
            + "\r\nDocument=intro.htm\r\n";
    return text;
}

} // namespace

Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(JsonProbe)

class TestHostileResources final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void packages_data();
    void packages();
    void unusableTemporaryFolder_data();
    void unusableTemporaryFolder();
    void fullTemporaryFolder();
    void temporaryFolderWithoutFreeInodes();
    void sweepCoversBothPlaces();
    void packageNameThatIsNotUtf8_data();
    void packageNameThatIsNotUtf8();
    void terminatedDumpLeavesNothing();
    void descriptorReadInPlaceStaysInItsFolder();
};

void TestHostileResources::initTestCase()
{
    QVERIFY(QFileInfo(qEnvironmentVariable("KELVO_BINARY_DIR") + QStringLiteral("/bin/kelvo")).isExecutable());
}

void TestHostileResources::packages_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<JsonProbe>("probe");

    const RawEntry lbw = stored("labwork.lbw", Descriptor);
    const JsonProbe none = [](const QJsonObject &) {};

    // 3.8 KB that would write 1 GB: bzip2 is held to the ratio that deflate can reach.
    QTest::newRow("bomb: 25 bzip2 entries of 40 MB of zeros")
        << assembleZip(QList<RawEntry> { lbw } + bzip2Zeros(25, 40 << 20)) << Outcome::DamagedPackage << none;
    QTest::newRow("bomb: 300 bzip2 entries of 1 MB of zeros")
        << assembleZip(QList<RawEntry> { lbw } + bzip2Zeros(300, 1 << 20)) << Outcome::DamagedPackage << none;
    QTest::newRow("bzip2: ordinary entries load")
        << assembleZip({ lbw, bzip2Zeros(1, 1000).first() }) << Outcome::Loads
        << JsonProbe([](const QJsonObject &json) {
               QCOMPARE(json.value(QStringLiteral("ExtractedFiles")).toArray().size(), 2);
           });

    // 7 KB that took 5 GB: one schema of 4 MB of short lines, named by 50 experiments, is read
    // once for all of them.
    const QByteArray bigSchema = schemaOfLines(TIniFile::MaxFileBytes, "Big");
    QTest::newRow("schema: one of 4 MB named by 50 experiments")
        << assembleZip({ experiments(QList<QByteArray>(50, "big.ini")), deflated("big.ini", bigSchema) })
        << Outcome::Loads << experimentTitles(QStringList(50, QStringLiteral("Big")));
    // Eight different ones: the load holds no more than its bound; the rest read as too large.
    QList<RawEntry> eight { experiments(
        { "s0.ini", "s1.ini", "s2.ini", "s3.ini", "s4.ini", "s5.ini", "s6.ini", "s7.ini" }) };
    for (int i = 0; i < 8; ++i)
        eight.append(deflated(
            "s" + QByteArray::number(i) + ".ini", schemaOfLines(TIniFile::MaxFileBytes, "S" + QByteArray::number(i))));
    const QString error = Texts::ErrorReadingChapter;
    QTest::newRow("schema: eight different ones of 4 MB")
        << assembleZip(eight) << Outcome::Loads
        << experimentTitles({ QStringLiteral("S0"), QStringLiteral("S1"), error, error, error, error, error, error });
    // Over the size limit of one file: that experiment has no devices, and loading goes on.
    QTest::newRow("schema: one byte over the size limit")
        << assembleZip({ experiments({ "big.ini", "small.ini" }),
               deflated("big.ini", schemaOfLines(TIniFile::MaxFileBytes, "Big") + "\r\n;x"),
               stored("small.ini", "[SchemaHeader]\r\nTitle=Small\r\n") })
        << Outcome::Loads << experimentTitles({ error, QStringLiteral("Small") });
}

void TestHostileResources::packages()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Outcome, outcome);
    QFETCH(JsonProbe, probe);

    const Sandbox box(bytes);
    // A folder of the run folders' name that the student made: the sweep of stale run folders
    // must leave it alone.
    writeFile(QDir(box.tmp), QStringLiteral("vemratmp-notes/thesis.txt"), "the student's own");
    const QStringList before = box.state();
    const Run run = runKelvo(box);
    QVERIFY2(run.finished, "the program did not finish");
    QVERIFY2(run.exitCode >= 0, qPrintable(QStringLiteral("the program crashed: ") + run.err.right(2000)));
    switch (outcome) {
    case Outcome::Loads:
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        probe(run.json);
        break;
    case Outcome::DamagedPackage:
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, format(Texts::DamagedPackage, { box.package }) + u'\n');
        break;
    }
    QCOMPARE(box.state(), before);
    QVERIFY2(peakChildResidentBytes() <= MaxResidentBytes,
        qPrintable(QStringLiteral("%1 MB").arg(peakChildResidentBytes() >> 20)));
}

// Without a usable temporary folder nothing is unpacked anywhere: the descriptor message names
// where the run's folder was to be.
void TestHostileResources::unusableTemporaryFolder_data()
{
    QTest::addColumn<QString>("tmpdir"); // below the sandbox's root
    QTest::newRow("missing") << "absent";
    QTest::newRow("a plain file") << "plain";
}

void TestHostileResources::unusableTemporaryFolder()
{
    QFETCH(QString, tmpdir);
    const Sandbox box(assembleZip({ stored("labwork.lbw", Descriptor) }));
    writeFile(QDir(box.root.path()), QStringLiteral("plain"), "a file, not a folder");
    const QString temporary = box.root.filePath(tmpdir);
    const QStringList before = box.state();
    RunSetup setup;
    // Without a runtime folder of the session, which would have room for the package.
    setup.environment = [&](QProcessEnvironment &environment) {
        environment.insert(QStringLiteral("TMPDIR"), temporary);
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    };
    const Run run = runKelvo(box, setup);
    QVERIFY2(run.finished && run.exitCode == 1, qPrintable(run.err));
    QVERIFY2(isDescriptorErrorUnder(run.err, temporary), qPrintable(run.err));
    QCOMPARE(box.state(), before);
}

// A temporary folder without room (here the process's limit on file sizes, which fails a write
// as a full disk does): the message says so and where, not that the package is damaged.
void TestHostileResources::fullTemporaryFolder()
{
    const Sandbox box(
        assembleZip({ stored("labwork.lbw", Descriptor), deflated("big.bmp", QByteArray(1 << 20, 'x')) }));
    const QStringList before = box.state();
    RunSetup setup;
    setup.inChild = [] {
        const rlimit fileSize { 64 * 1024, 64 * 1024 };
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
    };
    const Run run = runKelvo(box, setup);
    QVERIFY2(run.finished, "the program did not finish");
    QVERIFY2(run.exitCode >= 0, qPrintable(QStringLiteral("the program crashed: ") + run.err.right(2000)));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, format(Texts::TemporaryFolderFull, { box.tmp }) + u'\n');
    QCOMPARE(box.state(), before);

    // The same package with room loads.
    QCOMPARE(runKelvo(box).exitCode, 0);
    QCOMPARE(box.state(), before);
}

// A temporary folder on a file system with no free inodes left (room enough for the bytes): the
// same message as a full disk. Mounting the small file system needs root.
void TestHostileResources::temporaryFolderWithoutFreeInodes()
{
    QList<RawEntry> entries { stored("labwork.lbw", Descriptor) };
    for (int i = 0; i < 20; ++i)
        entries.append(stored("doc" + QByteArray::number(i) + ".htm", "<p>doc</p>"));
    const Sandbox box(assembleZip(entries));
    const QString small = box.root.filePath(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(small));
    if (::mount("tmpfs", QFile::encodeName(small).constData(), "tmpfs", 0, "size=4m,nr_inodes=8,mode=0700") != 0) {
        if (errno == EPERM)
            QSKIP("mounting a small file system needs root");
        QFAIL(qPrintable(QStringLiteral("mount: ") + QString::fromLocal8Bit(std::strerror(errno))));
    }
    const auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(small).constData(), MNT_DETACH); });
    const QStringList before = box.state();
    RunSetup setup;
    setup.environment = [&](QProcessEnvironment &environment) {
        environment.insert(QStringLiteral("TMPDIR"), small);
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    };
    const Run run = runKelvo(box, setup);
    QVERIFY2(run.finished && run.exitCode >= 0, qPrintable(run.err));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, format(Texts::TemporaryFolderFull, { small }) + u'\n');
    QCOMPARE(box.state(), before);
}

// Run folders of runs that were killed are swept wherever a run may have made them: in the
// temporary folder and in the session's runtime folder. The student's own folders of the same
// name stay.
void TestHostileResources::sweepCoversBothPlaces()
{
    const Sandbox box(assembleZip({ stored("labwork.lbw", Descriptor) }));
    for (const QString &place : { box.tmp, box.runtime })
        writeFile(QDir(place), QStringLiteral("vemratmp-notes/thesis.txt"), "the student's own");
    const QStringList before = box.state();
    for (const QString &place : { box.tmp, box.runtime }) {
        const QDir stale(QDir(place).filePath(QStringLiteral("vemratmp-killed")));
        writeFile(stale, RunFolder::MarkerName, RunFolder::markerText());
        writeFile(stale, QStringLiteral("intro.htm"), "left behind");
    }
    QVERIFY(box.state() != before);
    const Run run = runKelvo(box);
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(box.state(), before);
}

// A package whose file name holds bytes that are no UTF-8 (made on another system, here the
// Windows-1251 bytes of "Пример") opens; so does a descriptor read in place in a folder of such a
// name, with its documents (which --check reads).
void TestHostileResources::packageNameThatIsNotUtf8_data()
{
    QTest::addColumn<bool>("inPlace");
    QTest::addColumn<QString>("command");
    QTest::newRow("package") << false << "--dump";
    QTest::newRow("descriptor read in place") << true << "--dump";
    QTest::newRow("descriptor read in place, checked") << true << "--check";
}

void TestHostileResources::packageNameThatIsNotUtf8()
{
    QFETCH(bool, inPlace);
    QFETCH(QString, command);
    const Sandbox box(assembleZip({ stored("labwork.lbw", Descriptor) }));
    const QByteArray root = QFile::encodeName(box.root.path());
    const QByteArray named = root + "/packages/\xCF\xF0\xE8\xEC\xE5\xF0";
    const QByteArray descriptor = named + "/labwork.lbw";
    const QByteArray document = named + "/intro.htm";
    const QByteArray package = named + ".lwz";
    // Removed by their bytes: the temporary folder's own clean-up could not name them.
    const auto removeNames = qScopeGuard([&] {
        ::unlink(descriptor.constData());
        ::unlink(document.constData());
        ::rmdir(named.constData());
        ::unlink(package.constData());
    });
    if (inPlace) {
        QVERIFY(::mkdir(named.constData(), 0700) == 0);
        const int file = ::open(descriptor.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        QVERIFY(file >= 0);
        QVERIFY(::write(file, Descriptor.constData(), size_t(Descriptor.size())) == Descriptor.size());
        ::close(file);
        const QByteArray page = "<html><body><p>Intro</p></body></html>";
        const int pageFile = ::open(document.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        QVERIFY(pageFile >= 0);
        QVERIFY(::write(pageFile, page.constData(), size_t(page.size())) == page.size());
        ::close(pageFile);
    } else {
        QVERIFY(::link(QFile::encodeName(box.package).constData(), package.constData()) == 0);
    }
    const QStringList before = box.state();
    // The name goes to the program as bytes, through the shell: QProcess would convert it.
    RunSetup setup;
    setup.arguments = { QStringLiteral("-c"),
        QStringLiteral("exec \"$KELVO\" %1 \"$(printf '%2')\"")
            .arg(command,
                QString::fromLatin1(root) + QStringLiteral("/packages/\\317\\360\\350\\354\\345\\360")
                    + (inPlace ? QStringLiteral("/labwork.lbw") : QStringLiteral(".lwz"))) };
    setup.environment = [](QProcessEnvironment &environment) {
        environment.insert(
            QStringLiteral("KELVO"), qEnvironmentVariable("KELVO_BINARY_DIR") + QStringLiteral("/bin/kelvo"));
    };
    setup.program = QStringLiteral("/bin/sh");
    const Run run = runKelvo(box, setup);
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.err));
    if (command == u"--dump")
        QCOMPARE(run.json.value(QStringLiteral("Title")).toString(), QStringLiteral("Hostile"));
    QCOMPARE(box.state(), before);
}

// Stopped by SIGTERM while it writes its dump into a pipe that nobody reads, --dump still removes
// its run folder, and ends as the signal ends a program.
void TestHostileResources::terminatedDumpLeavesNothing()
{
    const Sandbox box(assembleZip({ deflated("labwork.lbw", manyChapters(3000)) }));
    const QStringList before = box.state();
    const QByteArray fifo = QFile::encodeName(box.root.filePath(QStringLiteral("dump.fifo")));
    QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(reader >= 0);

    QProcess process;
    process.setProcessEnvironment(box.environment());
    process.setWorkingDirectory(box.work);
    process.setStandardOutputFile(QFile::decodeName(fifo));
    process.start(qEnvironmentVariable("KELVO_BINARY_DIR") + QStringLiteral("/bin/kelvo"),
        { QStringLiteral("--dump"), box.package });
    QVERIFY(process.waitForStarted());
    // The dump has begun: its first bytes are in the pipe, and the rest waits for a reader.
    pollfd ready { reader, POLLIN, 0 };
    QVERIFY(::poll(&ready, 1, 60'000) == 1);
    QTest::qWait(200);
    const QStringList during = box.state();
    QVERIFY2(during.size() > before.size() + 2, "the run's folder is not there while it dumps");

    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(30'000));
    ::close(reader);
    QCOMPARE(process.exitStatus(), QProcess::CrashExit); // ended by the signal
    QFile::remove(QFile::decodeName(fifo));
    QCOMPARE(box.state(), before);
}

// A descriptor read in place, beside links that lead out of its folder: its documents are found
// inside the folder only (the scheme handler of the window finds them the same way).
void TestHostileResources::descriptorReadInPlaceStaysInItsFolder()
{
    const QTemporaryDir root;
    const QDir lab(root.filePath(QStringLiteral("lab")));
    writeFile(QDir(root.path()), QStringLiteral("private/notes.htm"), "<p>the student's own</p>");
    writeFile(lab, QStringLiteral("inside.htm"), "<p>inside</p>");
    QVERIFY(QFile::link(QStringLiteral("/etc"), lab.filePath(QStringLiteral("etc"))));
    QVERIFY(QFile::link(root.filePath(QStringLiteral("private/notes.htm")), lab.filePath(QStringLiteral("notes.htm"))));
    QVERIFY(QFile::link(QStringLiteral("inside.htm"), lab.filePath(QStringLiteral("alias.htm"))));
    const QString descriptor = writeFile(lab, QStringLiteral("labwork.lbw"),
        "[Header]\r\nTitle=In place\r\n"
        "[passwd]\r\nType=Information\r\nDocument=etc\\passwd\r\n"
        "[notes]\r\nType=Information\r\nDocument=NOTES.HTM\r\n"
        "[alias]\r\nType=Information\r\nDocument=alias.htm\r\n");

    const CurrentDirectory keep(QDir::currentPath());
    LoadedLabWork loaded = loadLabWork(descriptor);
    QVERIFY2(loaded.labWork, qPrintable(loaded.errorMessage));
    QStringList outcomes;
    for (int i = 0; i < loaded.labWork->Chapters().Count(); ++i) {
        try {
            const QByteArray page = loaded.labWork->Chapters().Items(i)->GetHTML();
            outcomes.append(page.contains("inside") ? QStringLiteral("inside") : QStringLiteral("other page"));
        } catch (const ERuntimeError &raised) {
            outcomes.append(raised.message());
        }
    }
    releaseLabWork(loaded);
    QCOMPARE(outcomes,
        QStringList({ QStringLiteral("Cannot open file ./etc/passwd"), QStringLiteral("Cannot open file ./NOTES.HTM"),
            QStringLiteral("inside") }));
}

QTEST_MAIN(TestHostileResources)

#include "tst_hostile_resources.moc"
