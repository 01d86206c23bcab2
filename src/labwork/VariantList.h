#pragma once

#include "SchemeVariant.h"
#include "SectionList.h"

class TIniFile;

// The owning list of an experiment's variants, in the order of their sections in the schema file.
class TVariantList final : public TSectionList<TSchemeVariant>
{
public:
    // Appends a variant for every section whose name begins with "__", in file order.
    void LoadVariants(const TIniFile &schema);

    // Throws EListError for an index outside 0 .. Count - 1.
    TSchemeVariant *Variant(int index) const { return At(index); }
    // The first variant whose section name equals `name`, letter case counting; none if no variant has it.
    TSchemeVariant *FindVariant(const QString &name) const { return Find(name); }
};

// Whether a schema section is a variant section: its name begins with two low lines.
bool isVariantSection(const QString &sectionName);
