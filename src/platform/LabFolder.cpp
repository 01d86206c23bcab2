#include "LabFolder.h"

#include "Localization.h"
#include "NameKey.h"
#include "RuntimeErrors.h"
#include "TextFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <algorithm>
#include <memory>

#include <sys/stat.h>

namespace kelvo {

namespace {

QStringList entriesOf(const QString &folder)
{
    QStringList names
        = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(names.begin(), names.end());
    return names;
}

// What tells that a folder's entries may have changed: a name added, removed or renamed changes
// the folder's modification time.
struct FolderStamp
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 seconds = 0;
    qint64 nanoseconds = 0;
    bool operator==(const FolderStamp &) const = default;
};

std::optional<FolderStamp> stampOf(const QString &folder)
{
    struct stat status;
    if (::stat(QFile::encodeName(folder).constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return std::nullopt;
    return FolderStamp { quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_mtim.tv_sec),
        qint64(status.st_mtim.tv_nsec) };
}

// A folder's entries, sorted, with an index from each case-folded name to the first entry in
// sorted order that folds to it.
struct FolderListing
{
    FolderStamp stamp;
    QStringList sorted;
    QHash<NameKey, qsizetype> byFoldedName;
};

// Every miss of an exact name would otherwise list and sort the whole folder: a document with
// thousands of missing pictures in a package of thousands of files took minutes. Folders are
// listed once and listed again only when they change.
class FolderListings final
{
public:
    static FolderListings &instance()
    {
        static FolderListings listings;
        return listings;
    }

    std::shared_ptr<const FolderListing> listing(const QString &folder)
    {
        const std::optional<FolderStamp> stamp = stampOf(folder);
        if (!stamp)
            return nullptr;
        const QMutexLocker lock(&m_mutex);
        const auto cached = m_listings.constFind(folder);
        if (cached != m_listings.cend() && (*cached)->stamp == *stamp)
            return *cached;
        auto made = std::make_shared<FolderListing>();
        made->stamp = *stamp;
        made->sorted = entriesOf(folder);
        for (qsizetype i = 0; i < made->sorted.size(); ++i) {
            const QString folded = foldedName(made->sorted.at(i));
            if (!made->byFoldedName.contains(folded))
                made->byFoldedName.insert(folded, i);
        }
        if (m_listings.size() >= MaxFolders && !m_listings.contains(folder))
            m_listings.clear();
        m_listings.insert(folder, made);
        return made;
    }

private:
    static constexpr qsizetype MaxFolders = 64;
    QMutex m_mutex;
    QHash<QString, std::shared_ptr<const FolderListing>> m_listings;
};

// True when `path`, with every link in it followed, is the folder `canonicalRoot` or inside it.
bool staysInside(const QString &path, const QString &canonicalRoot)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty() || canonicalRoot.isEmpty())
        return false;
    return real == canonicalRoot
        || (real.startsWith(canonicalRoot)
            && (canonicalRoot.endsWith(QLatin1Char('/')) || real.at(canonicalRoot.size()) == u'/'));
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
    : LabFolder(current())
{
}

namespace {

// Read by the scheme handler's thread as well.
struct EnteredFolder
{
    QMutex mutex;
    QString path;
    std::optional<FolderStamp> stamp;
};

EnteredFolder &enteredFolder()
{
    static EnteredFolder entered;
    return entered;
}

bool isSameFolder(const std::optional<FolderStamp> &a, const std::optional<FolderStamp> &b)
{
    return a && b && a->device == b->device && a->inode == b->inode;
}

} // namespace

bool LabFolder::enter(const QString &folder)
{
    EnteredFolder &entered = enteredFolder();
    const QMutexLocker lock(&entered.mutex);
    const bool changed = QDir::setCurrent(folder);
    entered.path = changed ? QDir(folder).absolutePath() : QString();
    entered.stamp = changed ? stampOf(QStringLiteral(".")) : std::nullopt;
    return changed;
}

QString LabFolder::current()
{
    EnteredFolder &entered = enteredFolder();
    const QMutexLocker lock(&entered.mutex);
    if (!entered.path.isEmpty() && isSameFolder(entered.stamp, stampOf(QStringLiteral("."))))
        return entered.path;
    return QDir::currentPath();
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
        const std::shared_ptr<const FolderListing> listing = FolderListings::instance().listing(path);
        if (!listing)
            return std::nullopt;
        const auto found = listing->byFoldedName.constFind(foldedName(part));
        if (found == listing->byFoldedName.cend())
            return std::nullopt;
        path += QLatin1Char('/') + listing->sorted.at(*found);
    }
    // A symbolic link in the folder may point anywhere: what it leads to must be inside too.
    if (!staysInside(path, QFileInfo(m_root).canonicalFilePath()))
        return std::nullopt;
    return path;
}

QStringList LabFolder::match(QStringView pattern) const
{
    if (!m_rootEntries) {
        const std::shared_ptr<const FolderListing> listing = FolderListings::instance().listing(m_root);
        m_rootEntries = listing ? listing->sorted : QStringList();
    }
    QStringList names;
    for (const QString &entry : std::as_const(*m_rootEntries)) {
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
