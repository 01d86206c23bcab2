#pragma once

#include "NameKey.h"

#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <new>
#include <vector>

// The INI reader, answering as the Windows profile functions do, but reading the file once:
// sections in square brackets, key=value lines, names compared without regard to case (the
// first section and the first key of a name win), values trimmed, a value in one pair of
// matching quotes loses them, values cut at 2047 characters, name lists cut at 16384 bytes.
// A missing or unreadable file reads as a file without sections. The file is Windows-1251
// text, or UTF-8 (see decodeDataText).
class TIniFile final
{
public:
    static constexpr qsizetype MaxValueLength = 2047;
    static constexpr qsizetype NameListBytes = 16384;
    // Descriptors and schema files take a few kilobytes, and each of their lines costs the
    // reader far more memory than its bytes: a larger file is refused.
    static constexpr qint64 MaxFileBytes = 4 * 1024 * 1024;

    // Throws EReadError when the file is larger than MaxFileBytes.
    explicit TIniFile(const QString &fileName);
    // A file larger than `maxBytes` reads as a file without sections, and TooLarge() says so.
    TIniFile(const QString &fileName, qint64 maxBytes, std::nothrow_t);

    const QString &FileName() const { return m_fileName; }

    QString ReadString(const QString &section, const QString &ident, const QString &defaultValue) const;
    // The runtime's integer conversion (kelvo::parseInteger); an unreadable value gives the default.
    qint32 ReadInteger(const QString &section, const QString &ident, qint32 defaultValue) const;
    // An integer; non-zero is true.
    bool ReadBool(const QString &section, const QString &ident, bool defaultValue) const;
    // A decimal number in the locale's format; an unreadable value gives the default.
    double ReadFloat(
        const QString &section, const QString &ident, double defaultValue, const QLocale &locale = QLocale()) const;

    // Section names in file order, as far as they fit the name list.
    QStringList ReadSections() const;
    // Key names of a section in file order, as far as they fit the name list.
    QStringList ReadSection(const QString &section) const;

    bool SectionExists(const QString &section) const;
    // The file holds NUL characters: it is no text file, whatever sections it seemed to have.
    bool IsBinary() const { return m_binary; }
    // The file was not read for its size: it reads as a file without sections.
    bool TooLarge() const { return m_tooLarge; }
    bool ValueExists(const QString &section, const QString &ident) const;

    // Where the file says what, for reports to the lab work's author. Lines count from 1; a line
    // ends at CR, LF or CR LF.
    struct Entry
    {
        QString key;
        QString value; // trimmed, as written: quotes kept, not cut to MaxValueLength
        int line = 0;
    };
    struct Section
    {
        QString name;
        int line = 0;
        std::vector<Entry> entries; // every key line, repeated names included
        QHash<kelvo::NameKey, qsizetype> firstEntry; // case-folded key -> index
    };

    // The line of the section, or of the key, that the readers above answer from; 0 when none.
    int SectionLine(const QString &section) const;
    int KeyLine(const QString &section, const QString &ident) const;
    // Every section as written, in file order: sections that repeat a name and sections beyond
    // the name list included.
    const std::vector<Section> &AllSections() const { return m_sections; }
    // Lines the reader passes over although they are neither blank nor comments: lines without
    // "=" or a section name, keys before the first section or under a nameless one.
    const QList<int> &IgnoredLines() const { return m_ignoredLines; }

private:
    void parse(const QString &text);
    const Section *findSection(const QString &name) const;
    const Entry *findEntry(const QString &section, const QString &ident) const;

    QString m_fileName;
    bool m_binary = false;
    bool m_tooLarge = false;
    std::vector<Section> m_sections;
    QHash<kelvo::NameKey, qsizetype> m_firstSection; // case-folded name -> index
    QList<int> m_ignoredLines;
};
