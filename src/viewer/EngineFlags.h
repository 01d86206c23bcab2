#pragma once

#include <QByteArray>

// The flags Kelvo gives the web engine beside the user's own (QTWEBENGINE_CHROMIUM_FLAGS, which
// the engine reads once, as it starts).
//
// V8's collector is open to the viewer's own script world. Lab documents run no scripts of their
// own, but every document the page loads leaves its script worlds behind, with the document they
// hold, and V8 lets its heap grow over many documents before it collects: the page process, which
// lives on while the menu shows, grew by a few megabytes for every chapter opened. The viewer
// collects once the covered page has taken its empty document, when nothing of the documents
// before is left to reach (TViewerEngine::setCovered); page scripts are off, so no document can
// call the collector itself. Tuning V8 for size instead bounds the process as well, but collects
// while the next document loads, which then opens more slowly.
namespace kelvo::engineflags {

inline constexpr char Variable[] = "QTWEBENGINE_CHROMIUM_FLAGS";

// The flags the engine starts with, given the user's. The user's own V8 options stand (the
// covered page then keeps V8's own pace of collecting): the engine keeps only the last of a
// repeated switch, so Kelvo's are added only where the user gave none.
QByteArray withOwnFlags(const QByteArray &userFlags);

// Puts the engine's flags into the environment, before the engine starts.
void apply();

// Gives the environment back as the user set it, for the programs that Kelvo starts (a browser
// for an outside link), once the engine has started or failed to load; nothing if apply() did
// not change it.
void restore();

} // namespace kelvo::engineflags
