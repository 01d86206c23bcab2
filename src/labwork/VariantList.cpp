#include "VariantList.h"

#include "IniFile.h"
#include "RuntimeErrors.h"

bool isVariantSection(const QString &sectionName)
{
    return sectionName.startsWith(QLatin1String("__"));
}

TVariantList::~TVariantList()
{
    Clear();
}

void TVariantList::LoadVariants(const TIniFile &schema)
{
    for (const QString &name : schema.ReadSections()) {
        if (isVariantSection(name))
            Add(std::make_unique<TSchemeVariant>(schema, name));
    }
}

TSchemeVariant *TVariantList::Variant(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(index);
    return m_items[size_t(index)].get();
}

TSchemeVariant *TVariantList::FindVariant(const QString &name) const
{
    const auto it = m_firstIndex.constFind(name);
    return it == m_firstIndex.cend() ? nullptr : m_items[size_t(*it)].get();
}

void TVariantList::Add(std::unique_ptr<TSchemeVariant> variant)
{
    if (!variant)
        return;
    if (!m_firstIndex.contains(variant->SectionName))
        m_firstIndex.insert(variant->SectionName, Count());
    m_items.push_back(std::move(variant));
}

void TVariantList::Clear()
{
    m_firstIndex.clear();
    m_items.clear();
}
