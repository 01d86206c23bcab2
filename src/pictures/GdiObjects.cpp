#include "GdiObjects.h"

namespace kelvo::pictures::gdi {

bool ObjectTable::add(Object object)
{
    int slot;
    if (!m_freed.empty()) {
        slot = *m_freed.begin();
        m_freed.erase(m_freed.begin());
    } else if (m_nextFresh < m_capacity) {
        slot = m_nextFresh++;
    } else {
        return false;
    }
    m_objects.insert(quint32(slot), std::move(object));
    return true;
}

bool ObjectTable::set(quint32 index, Object object)
{
    if (index >= quint32(m_capacity))
        return false;
    m_objects.insert(index, std::move(object));
    return true;
}

const Object *ObjectTable::find(quint32 index) const
{
    const auto it = m_objects.constFind(index);
    return it == m_objects.cend() ? nullptr : &*it;
}

void ObjectTable::remove(quint32 index)
{
    if (m_objects.remove(index) && int(index) < m_nextFresh)
        m_freed.insert(int(index));
}

} // namespace kelvo::pictures::gdi
