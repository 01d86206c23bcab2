#include "StartupLoader.h"

#include "LabFolder.h"
#include "Localization.h"
#include "PackageExtractor.h"
#include "RuntimeFolder.h"
#include "TextFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kelvo {

namespace {

const QString DescriptorName = QStringLiteral("labwork.lbw");

// Loads the descriptor at `path`; the messages name loaded.descriptorPath.
void createLabWork(LoadedLabWork &loaded, const QString &path)
{
    loaded.readPath = path;
    try {
        loaded.labWork = std::make_unique<TLabWork>(path);
    } catch (const std::exception &) {
        // The error's own text is not shown: the descriptor message replaces it.
        loaded.errorMessage = format(Texts::DescriptorError, { loaded.descriptorPath });
    }
}

} // namespace

QString chooseStartPath(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return arguments.first();
    return QDir::current().absoluteFilePath(QStringLiteral("data.lwz"));
}

// What the package unpacks to, when `path` names one.
std::optional<quint64> unpackedBytes(const QString &path)
{
    if (path.endsWith(QLatin1String(".lbw")))
        return std::nullopt;
    const std::optional<QList<PackageEntryInfo>> entries = listPackageEntries(path);
    if (!entries)
        return std::nullopt;
    quint64 total = 0;
    for (const PackageEntryInfo &entry : *entries)
        total += entry.size; // bounded by the extraction's limits
    return total;
}

std::unique_ptr<RunFolder> makeRunFolder(const QString &path)
{
    RunFolder::sweepStaleRunFolders(RunFolder::temporaryFolder());
    if (const QString runtime = usableRuntimeFolder(); !runtime.isEmpty())
        RunFolder::sweepStaleRunFolders(runtime);
    return std::make_unique<RunFolder>(runFolderParent([&path] { return unpackedBytes(path); }));
}

void keepRuntimeFilesIn(RunFolder &runFolder)
{
    if (!usableRuntimeFolder().isEmpty())
        return;
    const QString runtime = runFolder.makeRuntimeSubfolder();
    if (!runtime.isEmpty())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
}

LoadedLabWork unpackPackage(const QString &path, std::unique_ptr<RunFolder> runFolder)
{
    LoadedLabWork loaded;
    loaded.runFolder = std::move(runFolder);
    if (path.endsWith(QLatin1String(".lbw")))
        return loaded;
    if (!isPlainZipArchive(path)) {
        loaded.errorMessage = format(Texts::DamagedPackage, { path });
        loaded.packageProblem = QStringLiteral("not a plain ZIP archive");
        return loaded;
    }
    if (!loaded.runFolder)
        loaded.runFolder = makeRunFolder(path);
    loaded.extractedFiles = QStringList();
    if (!loaded.runFolder->isValid()) {
        // No folder to unpack into (no usable temporary folder): nothing is unpacked anywhere
        // else, and the descriptor is missing where it was to be.
        loaded.descriptorPath = QDir(loaded.runFolder->intendedPath()).filePath(DescriptorName);
        loaded.errorMessage = format(Texts::DescriptorError, { loaded.descriptorPath });
        return loaded;
    }
    QString folder = loaded.runFolder->path();
    const auto extract = [&] {
        return extractPackage(path, folder, [&](const QString &file) { loaded.extractedFiles->append(file); });
    };
    ExtractionResult extraction = extract();
    if (!extraction.ok && extraction.destinationFull
        && QFileInfo(folder).absolutePath() != RunFolder::temporaryFolder()) {
        // The runtime folder filled up meanwhile; the temporary folder may have room.
        loaded.runFolder = std::make_unique<RunFolder>(RunFolder::temporaryFolder());
        if (loaded.runFolder->isValid()) {
            folder = loaded.runFolder->path();
            extraction = extract();
        }
    }
    loaded.descriptorPath = QDir(folder).absoluteFilePath(DescriptorName);
    if (!extraction.ok) {
        // A full disk is no fault of the package: say where the room is missing.
        loaded.errorMessage = extraction.destinationFull
            ? format(Texts::TemporaryFolderFull, { QFileInfo(folder).absolutePath() })
            : format(Texts::DamagedPackage, { path });
        loaded.packageProblem = extraction.problem;
    }
    return loaded;
}

LoadedLabWork loadUnpacked(const QString &path, LoadedLabWork loaded)
{
    if (path.endsWith(QLatin1String(".lbw"))) {
        // Made absolute before the current directory changes, so a relative path still names the file.
        const QFileInfo info(path);
        loaded.descriptorPath = info.absoluteFilePath();
        QString folder = info.absolutePath();
        QString descriptor = loaded.descriptorPath;
        if (QFile::decodeName(QFile::encodeName(folder)) != folder) {
            // Qt's file functions would lose bytes of the folder's name (no UTF-8): it is read
            // through a link in the run's own folder, which they can name.
            if (!loaded.runFolder)
                loaded.runFolder = makeRunFolder(path);
            if (const QString link = loaded.runFolder->makeLabLink(folder); !link.isEmpty()) {
                folder = link;
                descriptor = QDir(link).filePath(info.fileName());
            }
        }
        if (QFileInfo(folder).isDir())
            LabFolder::enter(folder);
        createLabWork(loaded, descriptor);
        return loaded;
    }
    if (!loaded.errorMessage.isEmpty())
        return loaded;
    const QString folder = loaded.runFolder->path();
    LabFolder::enter(folder);
    // Packages made on Windows may hold "LabWork.lbw".
    if (const std::optional<QString> found = LabFolder(folder).resolve(DescriptorName))
        loaded.descriptorPath = *found;
    createLabWork(loaded, loaded.descriptorPath);
    return loaded;
}

LoadedLabWork loadLabWork(const QString &path, std::unique_ptr<RunFolder> runFolder)
{
    return loadUnpacked(path, unpackPackage(path, std::move(runFolder)));
}

void releaseLabWork(LoadedLabWork &loaded)
{
    loaded.labWork.reset();
    if (loaded.extractedFiles) {
        for (const QString &file : std::as_const(*loaded.extractedFiles))
            QFile::remove(file);
        loaded.extractedFiles.reset();
    }
    if (loaded.runFolder) {
        loaded.runFolder->removeIfEmpty();
        loaded.runFolder.reset();
    }
}

} // namespace kelvo
