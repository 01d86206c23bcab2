// Package extraction on arbitrary bytes, into a scratch folder that is emptied after each run.
// Beyond "no crash", the extraction's contract is checked: a refused package leaves nothing
// behind, an accepted one wrote exactly the files it reports, each inside the folder, and helper
// threads end as the calling thread alone does.

#include "PackageExtractor.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QString packagePath;
QString destination;

QSet<QString> entriesOf(const QString &folder)
{
    QSet<QString> paths;
    const QDir dir(folder);
    // Joined by hand: QDir takes a name that starts with ":" for one of Qt's resources.
    for (const QString &name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        paths.insert(dir.absolutePath() + QLatin1Char('/') + name);
    return paths;
}

[[noreturn]] void contractBroken(const char *what)
{
    std::fprintf(stderr, "extraction contract broken: %s\n", what);
    std::abort();
}

// What one extraction ended with; its files are removed again.
struct Outcome
{
    bool ok = false;
    QString problem;
    QMap<QString, QByteArray> files; // path and content
};

Outcome unpack(const kelvo::ExtractionLimits &limits)
{
    QStringList reported;
    const kelvo::ExtractionResult result = kelvo::extractPackage(
        packagePath, destination, [&](const QString &path) { reported.append(path); }, limits);

    const QSet<QString> found = entriesOf(destination);
    if (!result.ok && (!found.isEmpty() || !reported.isEmpty()))
        contractBroken("a refused package left files behind");
    Outcome outcome { result.ok, result.problem, {} };
    if (result.ok) {
        if (reported != result.writtenFiles)
            contractBroken("the files reported differ from the files written");
        if (found != QSet<QString>(reported.cbegin(), reported.cend()))
            contractBroken("the folder holds other files than those reported");
        for (const QString &path : std::as_const(reported)) {
            if (QFileInfo(path).absolutePath() != destination || !QFileInfo(path).isFile()
                || QFileInfo(path).isSymLink())
                contractBroken("a reported file is not a regular file directly inside the folder");
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                contractBroken("a reported file cannot be read");
            outcome.files.insert(path, file.readAll());
        }
    }
    for (const QString &path : found) {
        if (!QFile::remove(path))
            QDir(path).removeRecursively();
    }
    if (!entriesOf(destination).isEmpty())
        contractBroken("the scratch folder could not be emptied");
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv);
    static QTemporaryDir scratch;
    if (!scratch.isValid())
        std::abort();
    packagePath = scratch.filePath(QStringLiteral("package.lwz"));
    destination = scratch.filePath(QStringLiteral("unpacked"));
    QDir().mkpath(destination);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QFile package(packagePath);
    if (!package.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    package.write(reinterpret_cast<const char *>(data), qint64(size));
    package.close();

    kelvo::isPlainZipArchive(packagePath);
    // Small caps keep each run quick; what they guard is the same as with the program's own. Each
    // package is unpacked by the calling thread alone, then with helper threads: both must end alike.
    kelvo::ExtractionLimits limits { .maxEntries = 2000, .maxTotalBytes = 8u << 20, .maxThreads = 1 };
    const Outcome alone = unpack(limits);
    limits.parallelFromBytes = 0;
    limits.maxThreads = 3;
    const Outcome threads = unpack(limits);
    if (threads.ok != alone.ok || threads.problem != alone.problem)
        contractBroken("helper threads end otherwise than the calling thread alone");
    if (threads.files != alone.files)
        contractBroken("helper threads write other files than the calling thread alone");
    return 0;
}
