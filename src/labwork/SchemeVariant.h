#pragma once

#include "NameKey.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

class TIniFile;

// One variant of an experiment's schema: a picture and a value text per measurement device,
// read from a section whose name begins with "__". Variants do not change after loading.
class TSchemeVariant final
{
public:
    // Reads the section; every "RAND()" of a value line is replaced by a fresh random number now.
    TSchemeVariant(const TIniFile &schema, const QString &sectionName);
    Q_DISABLE_COPY_MOVE(TSchemeVariant)

    // The text after the first "=" of the first line of Values whose part before its first "="
    // equals `deviceName` without regard to case; none if no line carries the name.
    std::optional<QString> ValueFor(const QString &deviceName) const;

    QString Title;
    QString ImageFile;
    const QString SectionName;
    // One "name=value" line per key of the section other than "Title" and "ImageFile" (exact
    // case), in file order.
    const QStringList Values;

private:
    QHash<kelvo::NameKey, qsizetype> m_firstLine; // case-folded name -> index into Values
};
