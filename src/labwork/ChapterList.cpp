#include "ChapterList.h"

#include "RuntimeErrors.h"

TChapter *TChapterList::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(index);
    return m_items[size_t(index)].get();
}

void TChapterList::Add(std::unique_ptr<TChapter> chapter)
{
    m_items.push_back(std::move(chapter));
}

void TChapterList::Clear()
{
    m_items.clear();
}
