#include "CheckContext.h"

#include "CheckTexts.h"
#include "LabFolder.h"
#include "NearestName.h"
#include "TextFormat.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace kelvo::check {

namespace {

QString normalisedEntryName(const QString &name)
{
    QString normalised = name;
    normalised.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const std::optional<QStringList> parts = kelvo::LabFolder::nameParts(normalised);
    return parts ? parts->join(QLatin1Char('/')) : normalised;
}

QString suffixOf(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.sliced(dot + 1).toCaseFolded();
}

} // namespace

CheckContext::CheckContext(CheckSetup setup)
    : m_setup(std::move(setup))
    , m_folder(m_setup.labFolder)
{
    m_setup.labFolder = m_folder.root();
    if (m_setup.packageEntries) {
        for (const PackageEntry &entry : std::as_const(*m_setup.packageEntries)) {
            m_entryByFlatName.insert(entry.flatName, entry.name);
            m_entryPaths.insert(normalisedEntryName(entry.name).toCaseFolded());
        }
    }
    m_report.setDescriptorName(shownName(m_setup.descriptorPath));
}

QString CheckContext::shownName(const QString &absolutePath) const
{
    const QString relative = QDir(m_setup.labFolder).relativeFilePath(absolutePath);
    return m_entryByFlatName.value(relative, relative);
}

bool CheckContext::firstVisit(const QString &key)
{
    if (m_visited.contains(key))
        return false;
    m_visited.insert(key);
    return true;
}

const QStringList &CheckContext::topLevelNames() const
{
    if (!m_topLevel) {
        m_topLevel = QDir(m_setup.labFolder)
                         .entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    return *m_topLevel;
}

std::optional<QString> CheckContext::findFile(
    const QString &name, const QString &referrer, int line, const QString &what, Level missingLevel, bool nameIsWritten)
{
    const std::optional<QStringList> parts = kelvo::LabFolder::nameParts(name);
    const std::optional<QString> path = parts ? m_folder.resolve(name) : std::optional<QString>();

    if (!path || parts->isEmpty()) {
        if (parts && parts->size() > 1) {
            const QString wanted = parts->join(QLatin1Char('/'));
            const QString &flat = parts->last();
            if (m_entryPaths.contains(wanted.toCaseFolded())) {
                m_report.error(referrer, line, QStringLiteral("subfolder"),
                    format(CheckTexts::SubfolderInPackage, { name, what, flat }));
                return std::nullopt;
            }
        }
        const QString code = QStringLiteral("missing-file");
        const QString suggestion
            = parts && !parts->isEmpty() && m_report.shows(referrer, code) ? suggestionFor(parts->last()) : QString();
        m_report.add(
            { referrer, line, missingLevel, code, format(CheckTexts::MissingFile, { name, what, suggestion }) });
        return std::nullopt;
    }
    if (!QFileInfo(*path).isFile()) {
        m_report.error(referrer, line, QStringLiteral("not-a-file"), format(CheckTexts::NotAFile, { name, what }));
        return std::nullopt;
    }
    if (parts->size() > 1 && !fromPackage()) {
        m_report.warning(referrer, line, QStringLiteral("subfolder"),
            format(CheckTexts::SubfolderInPlace, { name, what, parts->last() }));
    }
    const QString relative = QDir(m_setup.labFolder).relativeFilePath(*path);
    if (nameIsWritten && relative != parts->join(QLatin1Char('/'))) {
        m_report.warning(
            referrer, line, QStringLiteral("file-case"), format(CheckTexts::FileCase, { name, what, relative }));
    }
    return path;
}

// " (возможно, имелось в виду ...)" for a file name that is not there, or nothing.
QString CheckContext::suggestionFor(const QString &name)
{
    const auto known = m_suggestions.constFind(name);
    if (known != m_suggestions.cend())
        return *known;
    // Each suggestion looks at every file: a few hundred are plenty for an author, and keep a
    // document with countless broken references from taking long.
    constexpr qsizetype MostSuggestions = 256;
    if (m_suggestions.size() >= MostSuggestions)
        return {};
    const QStringList &names = topLevelNames();
    const auto same = std::find_if(names.cbegin(), names.cend(),
        [&](const QString &candidate) { return candidate.compare(name, Qt::CaseInsensitive) == 0; });
    // A name of another kind of file is no likely meaning.
    if (m_namesBySuffix.isEmpty()) {
        for (const QString &candidate : names)
            m_namesBySuffix[suffixOf(candidate)].append(candidate);
    }
    const std::optional<QString> near
        = same != names.cend() ? *same : nearestName(name, m_namesBySuffix.value(suffixOf(name)));
    const QString suggestion = near ? format(CheckTexts::Suggestion, { *near }) : QString();
    m_suggestions.insert(name, suggestion);
    return suggestion;
}

} // namespace kelvo::check
