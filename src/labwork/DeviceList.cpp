#include "DeviceList.h"

#include "RuntimeErrors.h"

TDeviceList::~TDeviceList()
{
    Clear();
}

TSchemaDevice *TDeviceList::Device(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(index);
    return m_items[size_t(index)].get();
}

TSchemaDevice *TDeviceList::FindDevice(const QString &name) const
{
    const auto it = m_firstIndex.constFind(name);
    return it == m_firstIndex.cend() ? nullptr : m_items[size_t(*it)].get();
}

void TDeviceList::Add(std::unique_ptr<TSchemaDevice> device)
{
    if (!device)
        return;
    if (!m_firstIndex.contains(device->SectionName))
        m_firstIndex.insert(device->SectionName, Count());
    m_items.push_back(std::move(device));
}

void TDeviceList::Clear()
{
    m_firstIndex.clear();
    m_items.clear();
}
