#include "IniFile.h"

#include "CodePages.h"
#include "LabFolder.h"
#include "Localization.h"
#include "NameKey.h"
#include "NumberFormats.h"
#include "RuntimeErrors.h"
#include "TextFormat.h"

#include <QFileInfo>

namespace {

bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\v' || u == u'\f' || u == u'\r' || u == 0x1A;
}

QStringView trimmed(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text[start]))
        ++start;
    while (end > start && isBlank(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

// Keeps the names that fit whole into a list of `bytes` bytes, each with its terminating byte
// and one more byte closing the list.
QStringList fitNameList(const QStringList &names, qsizetype bytes)
{
    QStringList fitted;
    qsizetype room = bytes - 1;
    for (const QString &name : names) {
        const qsizetype need = name.size() + 1;
        if (need >= room)
            break;
        fitted.append(name);
        room -= need;
    }
    return fitted;
}

} // namespace

TIniFile::TIniFile(const QString &fileName)
    : TIniFile(fileName, MaxFileBytes, std::nothrow)
{
    if (m_tooLarge)
        throw EReadError(kelvo::format(Texts::FileTooLarge, { fileName }));
}

TIniFile::TIniFile(const QString &fileName, qint64 maxBytes, std::nothrow_t)
    : m_fileName(fileName)
{
    if (!QFileInfo(fileName).isFile())
        return;
    QByteArray bytes;
    try {
        bytes = kelvo::readWholeFile(fileName, fileName, maxBytes);
    } catch (const EFOpenError &) {
        return; // unreadable reads as empty, as the profile functions answer
    } catch (const EReadError &) {
        m_tooLarge = true;
        return;
    }
    const QString text = kelvo::decodeDataText(bytes);
    m_binary = text.contains(QChar(0));
    parse(text);
}

void TIniFile::parse(const QString &text)
{
    Section *current = nullptr;
    qsizetype lineStart = 0;
    int lineNumber = 0;
    const qsizetype n = text.size();
    while (lineStart < n) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < n && text[lineEnd] != u'\n' && text[lineEnd] != u'\r')
            ++lineEnd;
        const QStringView line = trimmed(QStringView(text).mid(lineStart, lineEnd - lineStart));
        // CR LF ends one line; the empty piece between CR and LF would be passed over anyway.
        lineStart = lineEnd + (lineEnd + 1 < n && text[lineEnd] == u'\r' && text[lineEnd + 1] == u'\n' ? 2 : 1);
        ++lineNumber;

        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            const qsizetype close = line.lastIndexOf(u']');
            if (close > 0) {
                const QString name = line.mid(1, close - 1).toString();
                if (name.isEmpty()) {
                    current = nullptr; // a nameless section is not a section of the file
                    m_ignoredLines.append(lineNumber);
                    continue;
                }
                const QString key = kelvo::foldedName(name);
                if (!m_firstSection.contains(key))
                    m_firstSection.insert(key, qsizetype(m_sections.size()));
                m_sections.push_back(Section { name, lineNumber, {}, {} });
                current = &m_sections.back();
                continue;
            }
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!current || equals < 0) {
            // Keys before the first section belong to no section; a line without "=" is no key.
            m_ignoredLines.append(lineNumber);
            continue;
        }
        Entry entry;
        entry.key = trimmed(line.left(equals)).toString();
        if (entry.key.isEmpty()) {
            m_ignoredLines.append(lineNumber);
            continue;
        }
        entry.value = trimmed(line.mid(equals + 1)).toString();
        entry.line = lineNumber;
        const QString key = kelvo::foldedName(entry.key);
        if (!current->firstEntry.contains(key))
            current->firstEntry.insert(key, qsizetype(current->entries.size()));
        current->entries.push_back(std::move(entry));
    }
}

const TIniFile::Section *TIniFile::findSection(const QString &name) const
{
    const auto it = m_firstSection.constFind(kelvo::foldedName(name));
    return it == m_firstSection.cend() ? nullptr : &m_sections[size_t(*it)];
}

const TIniFile::Entry *TIniFile::findEntry(const QString &section, const QString &ident) const
{
    const Section *found = findSection(section);
    if (!found)
        return nullptr;
    const auto it = found->firstEntry.constFind(kelvo::foldedName(ident));
    return it == found->firstEntry.cend() ? nullptr : &found->entries[size_t(*it)];
}

QString TIniFile::ReadString(const QString &section, const QString &ident, const QString &defaultValue) const
{
    const Entry *entry = findEntry(section, ident);
    QString value = entry ? entry->value : defaultValue;
    if (entry && value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front()) {
        value = value.mid(1, value.size() - 2);
    }
    value.truncate(MaxValueLength);
    return value;
}

qint32 TIniFile::ReadInteger(const QString &section, const QString &ident, qint32 defaultValue) const
{
    const Entry *entry = findEntry(section, ident);
    if (!entry)
        return defaultValue;
    return kelvo::parseInteger(ReadString(section, ident, QString())).value_or(defaultValue);
}

bool TIniFile::ReadBool(const QString &section, const QString &ident, bool defaultValue) const
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(
    const QString &section, const QString &ident, double defaultValue, const QLocale &locale) const
{
    const Entry *entry = findEntry(section, ident);
    if (!entry)
        return defaultValue;
    return kelvo::parseDecimal(ReadString(section, ident, QString()), locale).value_or(defaultValue);
}

QStringList TIniFile::ReadSections() const
{
    QStringList names;
    names.reserve(qsizetype(m_sections.size()));
    for (const Section &section : m_sections)
        names.append(section.name);
    return fitNameList(names, NameListBytes);
}

QStringList TIniFile::ReadSection(const QString &section) const
{
    const Section *found = findSection(section);
    if (!found)
        return {};
    QStringList keys;
    keys.reserve(qsizetype(found->entries.size()));
    for (const Entry &entry : found->entries)
        keys.append(entry.key);
    return fitNameList(keys, NameListBytes);
}

bool TIniFile::SectionExists(const QString &section) const
{
    return findSection(section) != nullptr;
}

int TIniFile::SectionLine(const QString &section) const
{
    const Section *found = findSection(section);
    return found ? found->line : 0;
}

int TIniFile::KeyLine(const QString &section, const QString &ident) const
{
    const Entry *entry = findEntry(section, ident);
    return entry ? entry->line : 0;
}

bool TIniFile::ValueExists(const QString &section, const QString &ident) const
{
    return findEntry(section, ident) != nullptr;
}
