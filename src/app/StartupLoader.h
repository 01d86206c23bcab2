#pragma once

#include "uLabWork.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace kelvo {

// What start-up loads: the lab work, and the files it unpacked for it.
struct LoadedLabWork
{
    std::unique_ptr<TLabWork> labWork;
    bool unpacked = false;          // a package was unpacked (otherwise a descriptor read in place)
    QString descriptorPath;         // the path given to TLabWork
    QStringList extractedFiles;     // every file the extraction wrote, for the shutdown
    QString errorMessage;           // the start-up message when loading failed; empty on success
};

// The path start-up opens: the first argument, or data.lwz in the current directory.
QString chooseStartPath(const QStringList &arguments);

// Loads as start-up does: a path ending exactly in ".lbw" is a descriptor read in place (its
// folder becomes the current directory); anything else is a package, unpacked into the run's
// own folder, which becomes the current directory. On failure, errorMessage holds the message.
LoadedLabWork loadLabWork(const QString &path);

} // namespace kelvo
