#pragma once

#include "BitButton.h"

// A variant button of the laboratory page: carries the section name of its variant.
class TVariantButton final : public TBitButton
{
    Q_OBJECT

public:
    TVariantButton(const QString &caption, const QString &sectionName, QWidget *parent = nullptr)
        : TBitButton(caption, Layout::GlyphTop, parent)
        , SectionName(sectionName)
    {
    }
    Q_DISABLE_COPY_MOVE(TVariantButton)

    const QString SectionName;
    bool Current = false; // lit as the variant the bench shows
};
