#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace kelvo {

// The folder of a lab work, and how the names that a lab work gives are found in it.
// Packages are authored on Windows, whose file names ignore letter case and take "\" as well
// as "/": each part of a name is matched exactly first, then without regard to case.
// Nothing outside the folder is ever found: ".." cannot climb above it, and a symbolic link is
// followed only as far as it stays inside.
class LabFolder final
{
public:
    // The folder the program works in: the current directory, which start-up sets (enter).
    LabFolder();
    explicit LabFolder(QString root);

    // Makes `folder` the current directory and the lab folder. While the current directory
    // stays there, current() gives `folder` as it was entered, not the directory's own name:
    // entered through a link, the lab folder's own name may hold bytes that Qt's file functions
    // cannot name.
    static bool enter(const QString &folder);
    // The lab folder: the folder entered last while it is still the current directory, the
    // current directory otherwise.
    static QString current();

    const QString &root() const { return m_root; }

    // The absolute path of the existing entry (file or folder) that `name` stands for,
    // or nothing when there is none.
    std::optional<QString> resolve(QStringView name) const;

    // The names of the root's entries (files, folders, hidden ones too) that match a wildcard
    // pattern of "*" and "?" without regard to case, in a stable (sorted) order. The folder is
    // listed once per LabFolder object.
    QStringList match(QStringView pattern) const;

    // The parts of a name relative to the folder: "\" and "/" alike, empty parts and "." left
    // out, ".." taking back the part before it; nothing when ".." would climb out of the folder.
    static std::optional<QStringList> nameParts(QStringView name);

    // The name as error texts show it: "./" followed by the name with "/" for "\".
    static QString shownName(QStringView name);

private:
    QString m_root;
    mutable std::optional<QStringList> m_rootEntries;
};

bool wildcardMatch(QStringView pattern, QStringView name);

// Reads the whole of a regular file. Throws EFOpenError (with `shownName`) when it cannot be
// opened, EReadError when it is larger than `maxBytes`.
QByteArray readWholeFile(const QString &path, const QString &shownName, qint64 maxBytes);

// Reads a file that the lab work names, found in the current lab folder.
QByteArray readLabFile(QStringView name);

// The largest data file (document, question file, descriptor, schema) the program reads.
inline constexpr qint64 MaxDataFileBytes = 64ll * 1024 * 1024;

// Splits text into lines as the runtime's string list does: a line ends at CR, LF or CR LF;
// a line break at the very end adds no empty line.
QList<QByteArrayView> splitLines(QByteArrayView text);
QStringList splitLines(QStringView text);

} // namespace kelvo
