#include "StartupLoader.h"

#include "RuntimeErrors.h"
#include "TextFormat.h"
#include "uLocalization.h"

#include <QDir>
#include <QFileInfo>

namespace kelvo {

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
        const QString folder = info.absolutePath();
        if (QFileInfo(folder).isDir())
            QDir::setCurrent(folder);
    } else {
        loaded.errorMessage = format(Texts::DamagedPackage, {path});
        return loaded;
    }

    try {
        loaded.labWork = std::make_unique<TLabWork>(loaded.descriptorPath);
    } catch (const std::exception &) {
        loaded.errorMessage = format(Texts::DescriptorError, {loaded.descriptorPath});
    }
    return loaded;
}

} // namespace kelvo
