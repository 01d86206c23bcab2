#pragma once

#include "SchemaDevice.h"

#include <QHash>

#include <memory>
#include <vector>

// The owning list of an experiment's devices, in the order of their sections in the schema file.
// A device's index is how the page's controls refer to it.
class TDeviceList final
{
public:
    TDeviceList() = default;
    ~TDeviceList();
    Q_DISABLE_COPY_MOVE(TDeviceList)

    int Count() const { return int(m_items.size()); }
    // Throws EListError for an index outside 0 .. Count - 1.
    TSchemaDevice *Device(int index) const;
    // The first device whose section name equals `name`, letter case counting; none if no device has it.
    TSchemaDevice *FindDevice(const QString &name) const;
    void Add(std::unique_ptr<TSchemaDevice> device);
    void Clear();

private:
    std::vector<std::unique_ptr<TSchemaDevice>> m_items;
    QHash<QString, int> m_firstIndex; // section name -> index of its first device
};
