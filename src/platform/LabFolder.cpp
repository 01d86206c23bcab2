#include "LabFolder.h"

#include "Localization.h"
#include "RuntimeErrors.h"
#include "TextFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace kelvo {

namespace {

QStringList entriesOf(const QString &folder)
{
    QStringList names
        = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(names.begin(), names.end());
    return names;
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

template <typename Text> QList<Text> splitLinesOf(Text text)
{
    QList<Text> lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const auto c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.sliced(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < n)
        lines.append(text.sliced(start));
    return lines;
}

} // namespace

LabFolder::LabFolder()
    : LabFolder(QDir::currentPath())
{
}

LabFolder::LabFolder(QString root)
    : m_root(QDir(root).absolutePath())
{
}

std::optional<QStringList> LabFolder::nameParts(QStringView name)
{
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !isSeparator(name[i]))
            continue;
        const QStringView part = name.mid(start, i - start);
        start = i + 1;
        if (part.isEmpty() || part == u".")
            continue;
        if (part == u"..") {
            if (parts.isEmpty())
                return std::nullopt;
            parts.removeLast();
            continue;
        }
        parts.append(part.toString());
    }
    return parts;
}

std::optional<QString> LabFolder::resolve(QStringView name) const
{
    const std::optional<QStringList> parts = nameParts(name);
    if (!parts)
        return std::nullopt;

    QString path = m_root;
    for (const QString &part : *parts) {
        const QString exact = path + QLatin1Char('/') + part;
        if (QFileInfo::exists(exact)) {
            path = exact;
            continue;
        }
        const QStringList &candidates = entries(path);
        const auto found = std::find_if(candidates.cbegin(), candidates.cend(),
            [&](const QString &candidate) { return candidate.compare(part, Qt::CaseInsensitive) == 0; });
        if (found == candidates.cend())
            return std::nullopt;
        path += QLatin1Char('/') + *found;
    }
    return path;
}

const QStringList &LabFolder::entries(const QString &folder) const
{
    auto it = m_entries.find(folder);
    if (it == m_entries.end())
        it = m_entries.insert(folder, entriesOf(folder));
    return *it;
}

QStringList LabFolder::match(QStringView pattern) const
{
    QStringList names;
    for (const QString &entry : entries(m_root)) {
        if (wildcardMatch(pattern, entry))
            names.append(entry);
    }
    return names;
}

QString LabFolder::shownName(QStringView name)
{
    QString shown = QStringLiteral("./") + name;
    shown.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return shown;
}

bool wildcardMatch(QStringView pattern, QStringView name)
{
    // Iterative matching with one backtracking point for the last "*".
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starAt = -1;
    qsizetype resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size()
            && (pattern[p] == QLatin1Char('?') || pattern[p].toCaseFolded() == name[n].toCaseFolded())) {
            ++p;
            ++n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

QByteArray readWholeFile(const QString &path, const QString &shownName, qint64 maxBytes)
{
    const QFileInfo info(path);
    if (!info.isFile())
        throw EFOpenError::cannotOpen(shownName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError::cannotOpen(shownName);
    if (file.size() > maxBytes)
        throw EReadError(format(Texts::FileTooLarge, { shownName }));
    // Read what is there, not what the limit allows: the size may be 0 for files that still
    // have content, and a file may grow while it is read.
    QByteArray bytes;
    bytes.reserve(qMin(file.size(), maxBytes) + 1);
    char chunk[64 * 1024];
    for (;;) {
        const qint64 got = file.read(chunk, sizeof chunk);
        if (got < 0)
            throw EFOpenError::cannotOpen(shownName);
        if (got == 0)
            break;
        if (bytes.size() + got > maxBytes)
            throw EReadError(format(Texts::FileTooLarge, { shownName }));
        bytes.append(chunk, got);
    }
    return bytes;
}

QByteArray readLabFile(QStringView name)
{
    const QString shown = LabFolder::shownName(name);
    const std::optional<QString> path = LabFolder().resolve(name);
    if (!path)
        throw EFOpenError::cannotOpen(shown);
    return readWholeFile(*path, shown, MaxDataFileBytes);
}

QList<QByteArrayView> splitLines(QByteArrayView text)
{
    return splitLinesOf(text);
}

QStringList splitLines(QStringView text)
{
    QStringList lines;
    for (const QStringView line : splitLinesOf(text))
        lines.append(line.toString());
    return lines;
}

} // namespace kelvo
