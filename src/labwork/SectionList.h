#pragma once

#include "NameKey.h"
#include "RuntimeErrors.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

// An owning list of items read from the sections of a schema file (devices, variants), in the
// order of their sections, found by index or by section name.
template <typename Item> class TSectionList
{
public:
    TSectionList() = default;
    Q_DISABLE_COPY_MOVE(TSectionList)

    int Count() const { return int(m_items.size()); }

    // Throws EListError for an index outside 0 .. Count - 1.
    Item *At(int index) const
    {
        if (index < 0 || index >= Count())
            throw EListError(index);
        return m_items[size_t(index)].get();
    }

    // The first item whose section name equals `name`, letter case counting; none if no item has it.
    Item *Find(const QString &name) const
    {
        const auto it = m_firstIndex.constFind(name);
        return it == m_firstIndex.cend() ? nullptr : m_items[size_t(*it)].get();
    }

    void Add(std::unique_ptr<Item> item)
    {
        if (!item)
            return;
        if (!m_firstIndex.contains(item->SectionName))
            m_firstIndex.insert(item->SectionName, Count());
        m_items.push_back(std::move(item));
    }

    void Clear()
    {
        m_firstIndex.clear();
        m_items.clear();
    }

protected:
    ~TSectionList() = default;

private:
    std::vector<std::unique_ptr<Item>> m_items;
    QHash<kelvo::NameKey, int> m_firstIndex; // section name -> index of its first item
};
