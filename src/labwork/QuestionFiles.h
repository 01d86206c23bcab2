#pragma once

#include "LabFolder.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// The question files of one examination chapter, found in the lab folder with one listing of
// the folder: the names are grouped by question number once, so that each question costs only
// the look at its own few names.
class QuestionFiles final
{
public:
    QuestionFiles(const kelvo::LabFolder &folder, quint8 chapterIdentifier);

    // "c%3.3d.q%3.3d.range.q" and the search pattern "c%3.3d.q%3.3d.v*.q".
    QString rangeName(int question) const;
    QString variantPattern(int question) const;

    // The range file's name as found in the folder (exact letter case first, then any case),
    // when it is there and is a file.
    std::optional<QString> rangeFile(int question) const;
    // The names (files and folders) that match the variant pattern, in sorted order.
    QStringList variantCandidates(int question) const;

    QString path(const QString &name) const;

private:
    const QStringList &namesOf(int question) const;

    const kelvo::LabFolder &m_folder;
    const quint8 m_chapter;
    QHash<QString, QStringList> m_byNumber; // the digits after "cNNN.q" -> names, sorted
};
