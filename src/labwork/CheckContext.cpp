#include "CheckContext.h"

#include "CheckTexts.h"
#include "LabFolder.h"
#include "NearestName.h"
#include "TextFormat.h"

#include <QDir>
#include <QFileInfo>

namespace kelvo::check {

namespace {

QString normalisedEntryName(const QString &name)
{
    QString normalised = name;
    normalised.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const std::optional<QStringList> parts = nameParts(normalised);
    return parts ? parts->join(QLatin1Char('/')) : normalised;
}

} // namespace

std::optional<QStringList> nameParts(QStringView name)
{
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != u'/' && name[i] != u'\\')
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

CheckContext::CheckContext(CheckSetup setup)
    : m_setup(std::move(setup))
{
    m_setup.labFolder = QDir(m_setup.labFolder).absolutePath();
    if (m_setup.packageEntries) {
        for (const PackageEntry &entry : std::as_const(*m_setup.packageEntries))
            m_entryByFlatName.insert(entry.flatName, entry.name);
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

std::optional<QString> CheckContext::findFile(const QString &name, const QString &referrer, int line,
                                              const QString &what, Level missingLevel, bool nameIsWritten)
{
    const std::optional<QStringList> parts = nameParts(name);
    const std::optional<QString> path =
        parts ? LabFolder(m_setup.labFolder).resolve(name) : std::optional<QString>();

    if (!path || parts->isEmpty()) {
        if (parts && parts->size() > 1) {
            const QString wanted = parts->join(QLatin1Char('/'));
            const QString &flat = parts->last();
            bool inPackageFolder = false;
            if (fromPackage()) {
                for (const PackageEntry &entry : std::as_const(*m_setup.packageEntries)) {
                    if (normalisedEntryName(entry.name).compare(wanted, Qt::CaseInsensitive) == 0)
                        inPackageFolder = true;
                }
            }
            if (inPackageFolder) {
                m_report.error(referrer, line, QStringLiteral("subfolder"),
                               format(CheckTexts::SubfolderInPackage, {name, what, flat}));
                return std::nullopt;
            }
        }
        QString suggestion;
        if (parts && !parts->isEmpty()) {
            const QStringList &names = topLevelNames();
            const QString &last = parts->last();
            const auto same = std::find_if(names.cbegin(), names.cend(), [&](const QString &candidate) {
                return candidate.compare(last, Qt::CaseInsensitive) == 0;
            });
            // A name of another kind of file is no likely meaning.
            QStringList sameSuffix;
            const QString suffix = QFileInfo(last).suffix();
            for (const QString &candidate : names) {
                if (QFileInfo(candidate).suffix().compare(suffix, Qt::CaseInsensitive) == 0)
                    sameSuffix.append(candidate);
            }
            const std::optional<QString> near = same != names.cend() ? *same : nearestName(last, sameSuffix);
            if (near)
                suggestion = format(CheckTexts::Suggestion, {*near});
        }
        m_report.add({referrer, line, missingLevel, QStringLiteral("missing-file"),
                      format(CheckTexts::MissingFile, {name, what, suggestion})});
        return std::nullopt;
    }
    if (!QFileInfo(*path).isFile()) {
        m_report.error(referrer, line, QStringLiteral("not-a-file"), format(CheckTexts::NotAFile, {name, what}));
        return std::nullopt;
    }
    if (parts->size() > 1 && !fromPackage()) {
        m_report.warning(referrer, line, QStringLiteral("subfolder"),
                         format(CheckTexts::SubfolderInPlace, {name, what, parts->last()}));
    }
    const QString relative = QDir(m_setup.labFolder).relativeFilePath(*path);
    if (nameIsWritten && relative != parts->join(QLatin1Char('/'))) {
        m_report.warning(referrer, line, QStringLiteral("file-case"),
                         format(CheckTexts::FileCase, {name, what, relative}));
    }
    return path;
}

} // namespace kelvo::check
