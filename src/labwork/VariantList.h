#pragma once

#include "SchemeVariant.h"

#include <QHash>

#include <memory>
#include <vector>

class TIniFile;

// The owning list of an experiment's variants, in the order of their sections in the schema file.
class TVariantList final
{
public:
    TVariantList() = default;
    ~TVariantList();
    Q_DISABLE_COPY_MOVE(TVariantList)

    // Appends a variant for every section whose name begins with "__", in file order.
    void LoadVariants(const TIniFile &schema);

    int Count() const { return int(m_items.size()); }
    // Throws EListError for an index outside 0 .. Count - 1.
    TSchemeVariant *Variant(int index) const;
    // The first variant whose section name equals `name`, letter case counting; none if no variant has it.
    TSchemeVariant *FindVariant(const QString &name) const;
    void Add(std::unique_ptr<TSchemeVariant> variant);
    void Clear();

private:
    std::vector<std::unique_ptr<TSchemeVariant>> m_items;
    QHash<QString, int> m_firstIndex; // section name -> index of its first variant
};

// Whether a schema section is a variant section: its name begins with two low lines.
bool isVariantSection(const QString &sectionName);
