#pragma once

#include "ViewerEngine.h"

#include <QString>
#include <QStringList>

// Finds and loads the viewer's engine library. The program starts with Qt Widgets alone; the web
// engine and everything it pulls in come with this library, after the window has painted.
namespace kelvo::viewerengine {

// The file name of the engine library.
inline constexpr char FileName[] = "libkelvo-engine.so";

struct LoadedEngine
{
    CreateFunction create = nullptr;
    QString path; // the library loaded
    QString error; // why nothing was loaded (a line for the log)
};

// The folders searched for the library, in order, found from the executable's own folder: the
// installed library folder, then the build tree's lib/kelvo.
QStringList searchFolders();

// Loads the library from the first of `folders` that has it. A library that does not load, lacks
// the entry points or was built from other sources is refused with the reason.
LoadedEngine loadFrom(const QStringList &folders);

// The program's engine, loaded on first use and kept for the rest of the run.
const LoadedEngine &programEngine();

// Makes programEngine() search `folders` instead; before its first use.
void setSearchFolders(const QStringList &folders);

} // namespace kelvo::viewerengine
