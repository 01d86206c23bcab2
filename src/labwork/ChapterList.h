#pragma once

#include "Chapter.h"

#include <memory>
#include <vector>

// The ordered, owning list of chapters; a chapter's index is its identity for navigation.
class TChapterList final
{
public:
    TChapterList() = default;
    Q_DISABLE_COPY_MOVE(TChapterList)

    int Count() const { return int(m_items.size()); }
    // Throws EListError for an index outside 0 .. Count - 1.
    TChapter *Items(int index) const;
    void Add(std::unique_ptr<TChapter> chapter);
    void Clear();

private:
    std::vector<std::unique_ptr<TChapter>> m_items;
};
