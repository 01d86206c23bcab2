#pragma once

#include <QByteArray>

// The flags Kelvo gives the web engine beside the user's own (QTWEBENGINE_CHROMIUM_FLAGS, which
// the engine reads once, as it starts).
//
// V8 is tuned for size. Lab documents run no scripts of their own, only the form bridge and the
// link guard, but every document the page loads leaves their script world behind, with the
// document it holds, and by default V8 lets its heap grow over many documents before it collects.
// The page process, which lives on while the menu shows, then grows by a few megabytes for every
// chapter opened; tuned for size, V8 collects early and the process stays the size of about one
// document. What the tuning costs is script speed, which lab documents do not need.
namespace kelvo::engineflags {

inline constexpr char Variable[] = "QTWEBENGINE_CHROMIUM_FLAGS";

// The flags the engine starts with, given the user's. The user's own V8 options stand: the engine
// keeps only the last of a repeated switch, so Kelvo's are added only where the user gave none.
QByteArray withOwnFlags(const QByteArray &userFlags);

// Puts the engine's flags into the environment, before the engine starts.
void apply();

// Gives the environment back as the user set it, for the programs that Kelvo starts (a browser
// for an outside link), once the engine has started; nothing if apply() did not change it.
void restore();

} // namespace kelvo::engineflags
