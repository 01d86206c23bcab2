#pragma once

#include "LabWork.h"
#include "RunFolder.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace kelvo {

// What start-up loads: the lab work, and the files it unpacked for it.
struct LoadedLabWork
{
    std::unique_ptr<TLabWork> labWork;
    std::unique_ptr<RunFolder> runFolder; // the run's own folder, when a package was unpacked
    std::optional<QStringList> extractedFiles; // every file the extraction wrote; only for a package
    QString descriptorPath; // the path given to TLabWork
    QString errorMessage; // the start-up message when loading failed
    QString packageProblem; // why the package was refused, in English, when it was
};

// The path start-up opens: the first argument, or data.lwz in the current directory.
QString chooseStartPath(const QStringList &arguments);

// Loads as start-up does. A path ending exactly in ".lbw" is a descriptor read in place (its
// folder becomes the current directory). Anything else is a package: unpacked flat into the
// run's own folder (stale folders of killed runs are swept first), which becomes the current
// directory, and whose descriptor is found there without regard to letter case. On failure
// `labWork` is empty and `errorMessage` holds the start-up message; files already unpacked
// stay listed for releaseLabWork.
LoadedLabWork loadLabWork(const QString &path);

// The shutdown: frees the lab work, deletes exactly the files the extraction reported (a file
// that cannot be deleted is passed over), then the run's folder if nothing else is in it.
void releaseLabWork(LoadedLabWork &loaded);

} // namespace kelvo
