#pragma once

#include "SchemaDevice.h"
#include "SectionList.h"

// The owning list of an experiment's devices, in the order of their sections in the schema file.
// A device's index is how the page's controls refer to it.
class TDeviceList final : public TSectionList<TSchemaDevice>
{
public:
    // Throws EListError for an index outside 0 .. Count - 1.
    TSchemaDevice *Device(int index) const { return At(index); }
    // The first device whose section name equals `name`, letter case counting; none if no device has it.
    TSchemaDevice *FindDevice(const QString &name) const { return Find(name); }
};
