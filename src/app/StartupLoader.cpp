#include "StartupLoader.h"

#include "LabFolder.h"
#include "Localization.h"
#include "PackageExtractor.h"
#include "TextFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kelvo {

namespace {

const QString DescriptorName = QStringLiteral("labwork.lbw");

void createLabWork(LoadedLabWork &loaded)
{
    try {
        loaded.labWork = std::make_unique<TLabWork>(loaded.descriptorPath);
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

LoadedLabWork loadLabWork(const QString &path)
{
    LoadedLabWork loaded;
    if (path.endsWith(QLatin1String(".lbw"))) {
        // Made absolute before the current directory changes, so a relative path still names the file.
        const QFileInfo info(path);
        loaded.descriptorPath = info.absoluteFilePath();
        if (QFileInfo(info.absolutePath()).isDir())
            QDir::setCurrent(info.absolutePath());
        createLabWork(loaded);
        return loaded;
    }

    if (!isPlainZipArchive(path)) {
        loaded.errorMessage = format(Texts::DamagedPackage, { path });
        loaded.packageProblem = QStringLiteral("not a plain ZIP archive");
        return loaded;
    }
    RunFolder::sweepStaleRunFolders();
    loaded.runFolder = std::make_unique<RunFolder>();
    loaded.extractedFiles = QStringList();
    if (!loaded.runFolder->isValid()) {
        // No folder to unpack into (no usable temporary folder): nothing is unpacked anywhere
        // else, and the descriptor is missing where it was to be.
        loaded.descriptorPath = QDir(loaded.runFolder->intendedPath()).filePath(DescriptorName);
        loaded.errorMessage = format(Texts::DescriptorError, { loaded.descriptorPath });
        return loaded;
    }
    const QString folder = loaded.runFolder->path();
    loaded.descriptorPath = QDir(folder).absoluteFilePath(DescriptorName);
    const ExtractionResult extraction
        = extractPackage(path, folder, [&](const QString &file) { loaded.extractedFiles->append(file); });
    if (!extraction.ok) {
        // A full disk is no fault of the package: say where the room is missing.
        loaded.errorMessage = extraction.destinationFull
            ? format(Texts::TemporaryFolderFull, { QFileInfo(folder).absolutePath() })
            : format(Texts::DamagedPackage, { path });
        loaded.packageProblem = extraction.problem;
        return loaded;
    }
    QDir::setCurrent(folder);
    // Packages made on Windows may hold "LabWork.lbw".
    if (const std::optional<QString> found = LabFolder(folder).resolve(DescriptorName))
        loaded.descriptorPath = *found;
    createLabWork(loaded);
    return loaded;
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
