#pragma once

#include "IniFile.h"
#include "LabWorkKeys.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace kelvo::check {

class CheckContext;

// Checks that hold for every INI file of a lab work (descriptor and schema files): lines the
// reader passes over, sections and keys that repeat a name (only the first counts), names beyond
// the name lists, values longer than the reader reads.
void checkIniStructure(CheckContext &context, const TIniFile &ini, const QString &shownFile);

// The first section of each name, in file order, as far as the section name list reaches: the
// sections the player reads.
std::vector<const TIniFile::Section *> readableSections(const TIniFile &ini);

// The keys of a kind of section, and the keys that only other kinds read.
struct KeySet
{
    QStringList known;
    // Keys read by other kinds: the key, and the kinds that read it ("Information").
    QList<std::pair<QString, QString>> elsewhere;
    QString elsewherePattern; // the suffix that names those kinds, with "%s"
};

// Reports every key of `section` that the kind does not read, with the nearest known key.
void checkKeys(CheckContext &context, const QString &shownFile, const TIniFile::Section &section, const KeySet &keys);

// An integer key as the player reads it; reports a value that does not convert. Nothing when the
// key is missing or does not convert.
std::optional<qint32> checkInteger(CheckContext &context, const TIniFile &ini, const QString &shownFile,
    const QString &section, const IntegerKey &key);
// A yes-or-no key, which the player reads as an integer.
std::optional<qint32> checkInteger(
    CheckContext &context, const TIniFile &ini, const QString &shownFile, const QString &section, const BoolKey &key);

// An integer key that the player reduces to its low 8 bits; reports values outside 0..255.
void checkByte(CheckContext &context, const TIniFile &ini, const QString &shownFile, const QString &section,
    const IntegerKey &key);

// A decimal key as the player reads it, in the check's locale; reports a value that does not convert.
std::optional<double> checkDecimal(CheckContext &context, const TIniFile &ini, const QString &shownFile,
    const QString &section, const DecimalKey &key);

// Reports a text key whose absence (or emptiness, when `emptyCounts`) makes the player use its
// default; `consequence` says what that does. True when the key has a value.
bool checkPresent(CheckContext &context, const TIniFile &ini, const QString &shownFile, const QString &section,
    const QString &key, bool isError, const QString &code, const QString &consequence, bool emptyCounts = false);

// The line to report a key at: its own, else its section's.
int keyOrSectionLine(const TIniFile &ini, const QString &section, const QString &key);

} // namespace kelvo::check
