#include "VariantList.h"

#include "IniFile.h"

bool isVariantSection(const QString &sectionName)
{
    return sectionName.startsWith(QLatin1String("__"));
}

void TVariantList::LoadVariants(const TIniFile &schema)
{
    for (const QString &name : schema.ReadSections()) {
        if (isVariantSection(name))
            Add(std::make_unique<TSchemeVariant>(schema, name));
    }
}
