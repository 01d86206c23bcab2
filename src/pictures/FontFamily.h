#pragma once

#include <QString>
#include <QStringView>

#include <future>

namespace kelvo::pictures {

// The installed family that draws a Windows face name: the family fontconfig matches for it
// ("Arial" is drawn in a metric-compatible face where one is installed), after Windows' charset
// variants ("Arial Cyr", "Times New Roman CE") have been read as their base face. An installed
// family is itself; an empty name, or one fontconfig matches nothing for, stays as asked.
//
// Why ask fontconfig ourselves: Qt given a family it lacks sorts every installed font again for
// each style and script it draws that family in, and builds each font engine through that list,
// which costs milliseconds at start-up; given the matched family it finds the same face at once.
// Looked up once a run for each name; safe from any thread.
QString fontFamilyFor(QStringView faceName);

// Loads the font configuration (its files and the caches of every installed font, a few
// milliseconds) on a thread of its own and returns at once. The first font the windows ask for
// then finds it loaded; one asked for meanwhile loads it as if this had not been called. The
// configuration reads the environment as it loads: wait for the result before changing it.
std::future<void> loadFontConfigurationAhead();

} // namespace kelvo::pictures
