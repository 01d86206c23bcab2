#pragma once

#include "LabFolder.h"
#include "PackageExtractor.h"

#include "CheckReport.h"

#include <QHash>
#include <QList>
#include <QLocale>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kelvo::check {

// One entry of a package as stored, and the name the flat unpacking writes it under.
using PackageEntry = kelvo::PackageEntryInfo;

// What decoding a schema picture gave: its size, or the error text the player would show.
struct PictureProbeResult
{
    std::optional<QSize> size;
    QString error;
};

// Decodes the picture at `path` (found in the lab folder) that the schema names `name`.
using PictureProbe = std::function<PictureProbeResult(const QString &path, const QString &name)>;

struct CheckSetup
{
    QString labFolder; // where the lab work's files are: the descriptor's folder, or the run folder
    QString descriptorPath; // the descriptor as loaded
    // The package's entries, in archive order, when the lab work came from a package.
    std::optional<QList<PackageEntry>> packageEntries;
    // Decodes pictures; without it pictures are only looked up.
    PictureProbe pictureProbe;
    // Whose decimal separator numbers are read with: the user's settings, as the player reads them.
    QLocale locale;
};

// The state of one check: the setup, the report, and the files already looked at.
class CheckContext final
{
public:
    explicit CheckContext(CheckSetup setup);

    const CheckSetup &setup() const { return m_setup; }
    CheckReport &report() { return m_report; }
    const QLocale &locale() const { return m_setup.locale; }
    bool fromPackage() const { return m_setup.packageEntries.has_value(); }

    // The name a report shows for a file of the lab folder: its package entry's name, or its path
    // relative to the lab folder.
    QString shownName(const QString &absolutePath) const;

    // Looks up a file that the lab work names (relative to the lab folder, "\" or "/", any letter
    // case, as the player finds it) and reports what keeps it from working or what may, with
    // `referrer` and `line` as the place and `what` telling what the file is for. Returns the
    // file's path when the player finds it. An empty name is the caller's to report. A file that is
    // not there at all is an error, or of `missingLevel` when the player does without it.
    // A name that differs from the file's only in letter case is reported when `nameIsWritten`:
    // the author wrote it, rather than the program making it up.
    std::optional<QString> findFile(const QString &name, const QString &referrer, int line, const QString &what,
        Level missingLevel = Level::Error, bool nameIsWritten = true);

    // Whether `key` (a file, a picture...) was looked at already; marks it looked at.
    bool firstVisit(const QString &key);

    // Files of the lab folder's top level, sorted; hidden ones too.
    const QStringList &topLevelNames() const;

private:
    QString suggestionFor(const QString &name);

    CheckSetup m_setup;
    // The player's own resolver, so that the check finds exactly the files the player opens.
    kelvo::LabFolder m_folder;
    CheckReport m_report;
    QHash<QString, QString> m_entryByFlatName; // flat name -> entry name of the last such entry
    QSet<QString> m_entryPaths; // entry names as paths ("docs/intro.htm"), case-folded
    QSet<QString> m_visited;
    mutable std::optional<QStringList> m_topLevel;
    QHash<QString, QString> m_suggestions;
    QHash<QString, QStringList> m_namesBySuffix; // case-folded suffix -> top-level files
};

} // namespace kelvo::check
