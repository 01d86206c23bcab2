#pragma once

#include <QString>

class TLabWork;

// How the menu tells a chapter's state: by glyph, tooltip, message and to a screen reader alike.
namespace kelvo {

enum class ChapterAccess { Open, Passed, Locked };

// A passed chapter opens whatever the access rule says; the others as the rule says.
ChapterAccess chapterAccess(const TLabWork &labWork, int index);
// The chapters that must be passed before the chapter at `index` opens, by title, each quoted:
// «Введение», «Теория». Empty for an open chapter.
QString missingChapterTitles(const TLabWork &labWork, int index);
// The state as a screen reader tells it after the title.
QString chapterAccessText(const TLabWork &labWork, int index);
// The glyph of the chapter's menu button.
QString chapterAccessGlyph(ChapterAccess access);

} // namespace kelvo
