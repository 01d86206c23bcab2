#include "ChapterAccess.h"

#include "LabWork.h"
#include "Localization.h"
#include "TextFormat.h"

namespace kelvo {

ChapterAccess chapterAccess(const TLabWork &labWork, int index)
{
    if (index >= 0 && index < labWork.Chapters().Count() && labWork.Chapters().Items(index)->Passed)
        return ChapterAccess::Passed;
    return labWork.CanOpen(index) ? ChapterAccess::Open : ChapterAccess::Locked;
}

QString missingChapterTitles(const TLabWork &labWork, int index)
{
    QStringList titles;
    for (const int missing : labWork.MissingChapters(index)) {
        const QString title = labWork.Chapters().Items(missing)->Title.trimmed();
        titles.append(format(Texts::ChapterQuoted,
            { title.isEmpty() ? format(Texts::ChapterUntitled, { qint64(missing) + 1 }) : title }));
    }
    return titles.join(Texts::ChapterListSeparator);
}

QString chapterAccessText(const TLabWork &labWork, int index)
{
    switch (chapterAccess(labWork, index)) {
    case ChapterAccess::Passed:
        return Texts::ChapterStatePassed;
    case ChapterAccess::Open:
        return Texts::ChapterStateOpen;
    case ChapterAccess::Locked:
        break;
    }
    return format(Texts::ChapterStateLocked, { missingChapterTitles(labWork, index) });
}

QString chapterAccessGlyph(ChapterAccess access)
{
    switch (access) {
    case ChapterAccess::Passed:
        return QStringLiteral("BUBBLE_PASSED");
    case ChapterAccess::Open:
        return QStringLiteral("BUBBLE_RED");
    case ChapterAccess::Locked:
        break;
    }
    return QStringLiteral("BUBBLE_GRY");
}

} // namespace kelvo
