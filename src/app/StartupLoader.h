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
    QString descriptorPath; // the descriptor's path, as messages show it
    // The path the descriptor was read by, and its folder, the lab folder: the same as
    // descriptorPath, or a link in the run folder where the folder's name holds bytes that are no
    // UTF-8 (RunFolder::makeLabLink).
    QString readPath;
    QString errorMessage; // the start-up message when loading failed
    QString packageProblem; // why the package was refused, in English, when it was
};

// The path start-up opens: the first argument, or data.lwz in the current directory.
QString chooseStartPath(const QStringList &arguments);

// The run's own folder for the lab work at `path`, made as start-up makes it: in the user's
// runtime folder when the package fits there with room to spare, else in the temporary folder
// (runFolderParent). The folders of ended runs are swept first, in both places.
std::unique_ptr<RunFolder> makeRunFolder(const QString &path);

// Where the session has no usable runtime folder, points XDG_RUNTIME_DIR at a private folder
// inside the run folder, so that the toolkit and the web engine write their runtime files there
// (and not into a folder of their own in the temporary folder). Call before the application
// object exists.
void keepRuntimeFilesIn(RunFolder &runFolder);

// Loads as start-up does. A path ending exactly in ".lbw" is a descriptor read in place (its
// folder becomes the current directory). Anything else is a package: unpacked flat into the
// run's own folder (stale folders of killed runs are swept first), which becomes the current
// directory, and whose descriptor is found there without regard to letter case; when the
// user's runtime folder turns out full while it unpacks, it unpacks into the temporary folder
// instead. On failure
// `labWork` is empty and `errorMessage` holds the start-up message; files already unpacked
// stay listed for releaseLabWork. A run folder made before (makeRunFolder) is used for the
// package and, either way, kept with the result until releaseLabWork; without one, one is made.
LoadedLabWork loadLabWork(const QString &path, std::unique_ptr<RunFolder> runFolder = {});

// loadLabWork in two parts. The first touches no window and leaves the current directory as it
// is, so that it may run on a worker thread: for a package, the checks, the run folder and the
// unpacking (with the retry in the temporary folder), and on failure the message; for a
// descriptor, nothing but keeping the run folder. The second, on the thread of the windows, loads
// the lab work from what the first left, unless that failed.
LoadedLabWork unpackPackage(const QString &path, std::unique_ptr<RunFolder> runFolder = {});
LoadedLabWork loadUnpacked(const QString &path, LoadedLabWork loaded);

// The shutdown: frees the lab work, deletes exactly the files the extraction reported (a file
// that cannot be deleted is passed over), then the run's folder if nothing else is in it.
void releaseLabWork(LoadedLabWork &loaded);

} // namespace kelvo
