// The package unpacked on a worker thread while the window is made: what the window then loads,
// and every message it shows, are those of loading the package in one go; the worker leaves the
// current directory alone, and a run that ends before it takes the package leaves nothing behind.

#include "LabWork.h"
#include "StartupLoader.h"
#include "StartupUnpacking.h"
#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kelvo;
using namespace kelvo::test;
using namespace Qt::StringLiterals;

namespace {

const QByteArray Descriptor = "[Header]\nTitle=Lab\n[a]\nType=Information\nTitle=A\nIdentifier=1\nDocument=a.htm\n";

// What a load left, with the run's own folder (a fresh name each time) written as "RUN".
struct Outcome
{
    QString title;
    QString descriptor;
    QString message;
    QString problem;
    QStringList files;
    bool loaded = false;
};

Outcome outcomeOf(const LoadedLabWork &loaded)
{
    const QString run = loaded.runFolder ? loaded.runFolder->path() : QString();
    const auto plain = [&](QString text) { return run.isEmpty() ? text : text.replace(run, QStringLiteral("RUN")); };
    Outcome outcome;
    outcome.loaded = bool(loaded.labWork);
    outcome.title = loaded.labWork ? loaded.labWork->Title : QString();
    outcome.descriptor = plain(loaded.descriptorPath);
    outcome.message = plain(loaded.errorMessage);
    outcome.problem = loaded.packageProblem;
    if (loaded.extractedFiles) {
        for (const QString &file : *loaded.extractedFiles)
            outcome.files.append(plain(file));
        outcome.files.sort();
    }
    return outcome;
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class TestStartupUnpacking final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_temp;
    QByteArray m_runtime;
    QString m_startDirectory = QDir::currentPath();

    QString writePackage(const QString &kind);

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void sameAsLoadingInOneGo_data();
    void sameAsLoadingInOneGo();
    void workerLeavesTheCurrentDirectory();
    void untakenPackageLeavesNothing();
};

void TestStartupUnpacking::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // A session without a runtime folder: every run folder goes into this temporary folder.
    m_temp = m_dir.filePath(QStringLiteral("temp"));
    QVERIFY(QDir().mkpath(m_temp));
    qputenv("TMPDIR", QFile::encodeName(m_temp));
    m_runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
}

void TestStartupUnpacking::cleanupTestCase()
{
    qunsetenv("TMPDIR");
    if (!m_runtime.isNull())
        qputenv("XDG_RUNTIME_DIR", m_runtime);
}

void TestStartupUnpacking::cleanup()
{
    QDir::setCurrent(m_startDirectory);
    QCOMPARE(entriesOf(m_temp), QStringList());
}

QString TestStartupUnpacking::writePackage(const QString &kind)
{
    const QString path = m_dir.filePath(kind + QStringLiteral(".lwz"));
    if (kind == u"windows") {
        writeZip(path, { { "LabWork.LBW", Descriptor }, { "docs/a.htm", "<p>a</p>" }, { "pics\\fig.gif", "GIF89a" } });
    } else if (kind == u"no descriptor") {
        writeZip(path, { { "a.htm", "<p>a</p>" } });
    } else if (kind == u"not a zip") {
        writeFile(QDir(m_dir.path()), kind + QStringLiteral(".lwz"), "PK\x03\x04 but nothing more");
    } else if (kind == u"damaged entry") {
        writeZip(path, { { "labwork.lbw", Descriptor }, { "a.htm", QByteArray(4000, 'a') + QByteArray(4000, 'b') } });
        // The second entry's deflated data, changed in the middle: its check fails as it unpacks.
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite))
            return {};
        QByteArray bytes = file.readAll();
        const qsizetype data = bytes.indexOf("a.htm") + 5 + 10;
        bytes[data] = char(bytes[data] ^ 0x55);
        file.seek(0);
        file.write(bytes);
    } else if (kind == u"descriptor") {
        return writeFile(QDir(m_dir.filePath(QStringLiteral("plain"))), QStringLiteral("labwork.lbw"), Descriptor);
    }
    return path;
}

void TestStartupUnpacking::sameAsLoadingInOneGo_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("loads");
    QTest::newRow("nominal: a package made on Windows") << u"windows"_s << true;
    QTest::newRow("nominal: a descriptor read in place") << u"descriptor"_s << true;
    QTest::newRow("robustness: a package without a descriptor") << u"no descriptor"_s << false;
    QTest::newRow("robustness: no ZIP archive") << u"not a zip"_s << false;
    QTest::newRow("robustness: an entry that fails its check") << u"damaged entry"_s << false;
}

void TestStartupUnpacking::sameAsLoadingInOneGo()
{
    QFETCH(QString, kind);
    QFETCH(bool, loads);
    const QString path = writePackage(kind);

    LoadedLabWork inOneGo = loadLabWork(path);
    const Outcome expected = outcomeOf(inOneGo);
    releaseLabWork(inOneGo);
    QDir::setCurrent(m_startDirectory);
    QCOMPARE(expected.loaded, loads);

    StartupUnpacking unpacking(path, makeRunFolder(path));
    LoadedLabWork loaded = loadUnpacked(unpacking.path(), unpacking.take());
    const auto release = qScopeGuard([&] { releaseLabWork(loaded); });
    const Outcome outcome = outcomeOf(loaded);
    QCOMPARE(outcome.loaded, expected.loaded);
    QCOMPARE(outcome.title, expected.title);
    QCOMPARE(outcome.descriptor, expected.descriptor);
    QCOMPARE(outcome.message, expected.message);
    QCOMPARE(outcome.problem, expected.problem);
    QCOMPARE(outcome.files, expected.files);
    if (loads && kind != u"descriptor")
        QCOMPARE(QDir::currentPath(), loaded.runFolder->path());
}

void TestStartupUnpacking::workerLeavesTheCurrentDirectory()
{
    const QString path = writePackage(u"windows"_s);
    StartupUnpacking unpacking(path, makeRunFolder(path));
    // Unpacked, and not entered: the window is still being made in this directory.
    LoadedLabWork loaded = unpacking.take();
    const auto release = qScopeGuard([&] { releaseLabWork(loaded); });
    QVERIFY(loaded.extractedFiles);
    QCOMPARE(loaded.extractedFiles->size(), 3);
    for (const QString &file : std::as_const(*loaded.extractedFiles))
        QVERIFY2(QFileInfo::exists(file), qPrintable(file));
    QCOMPARE(QDir::currentPath(), m_startDirectory);
    QVERIFY(!loaded.labWork);
    // The window's part enters the folder and loads.
    loaded = loadUnpacked(path, std::move(loaded));
    QVERIFY(loaded.labWork);
    QCOMPARE(QDir::currentPath(), loaded.runFolder->path());
}

void TestStartupUnpacking::untakenPackageLeavesNothing()
{
    const QString path = writePackage(u"windows"_s);
    std::unique_ptr<RunFolder> folder = makeRunFolder(path);
    const QString run = folder->path();
    QVERIFY(!run.isEmpty());
    {
        // A run that ends before its window (a report folder it cannot write, a kill).
        StartupUnpacking unpacking(path, std::move(folder));
        QTRY_COMPARE(entriesOf(run).filter(QStringLiteral(".htm")), QStringList { u"a.htm"_s });
    }
    QVERIFY(!QFileInfo::exists(run));
}

QTEST_GUILESS_MAIN(TestStartupUnpacking)
#include "tst_startupunpacking.moc"
