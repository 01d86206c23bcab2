#pragma once

#include "StudentIdentity.h"

#include <QDateTime>
#include <QList>
#include <QString>

class TLabWork;

namespace kelvo {

// What one run has done, kept in memory for the report the student hands in: per chapter whether
// it was opened and passed and, for a quiz, every check with its figures and time.
class RunRecord final
{
public:
    struct Check
    {
        int right = 0;
        int total = 0;
        double percent = 0; // as the results dialog shows it
        QDateTime time;
    };

    struct Chapter
    {
        QString title;
        QString kind; // "information", "examination" or "experiment"
        int opened = 0;
        bool passed = false;
        QList<Check> checks;
    };

    // The chapters of `labWork` as they stand now, none opened yet.
    RunRecord(const TLabWork &labWork, const QString &packagePath, const QDateTime &started, const QString &userName);

    void chapterOpened(int index);
    // Takes each chapter's passed flag from the lab work (a document read, a quiz checked).
    void updatePassed(const TLabWork &labWork);
    // A quiz checked: its figures, and the chapter passed.
    void checked(int index, int right, int total, const QDateTime &time);
    // Who does the work, once the student or a launcher has said it.
    void setStudent(const StudentIdentity &student) { m_student = student; }

    const QString &labTitle() const { return m_labTitle; }
    const QString &author() const { return m_author; }
    const QString &packagePath() const { return m_packagePath; }
    // The SHA-256 of the package played (of the descriptor, for a lab work read in place), in
    // hexadecimal: it tells which lab work the report is of; empty until known.
    const QString &labWorkDigest() const { return m_labWorkDigest; }
    void setLabWorkDigest(const QString &digest) { m_labWorkDigest = digest; }
    const QDateTime &started() const { return m_started; }
    const QString &userName() const { return m_userName; }
    const StudentIdentity &student() const { return m_student; }
    const QList<Chapter> &chapters() const { return m_chapters; }

private:
    QString m_labTitle;
    QString m_author;
    QString m_packagePath;
    QString m_labWorkDigest;
    QDateTime m_started;
    QString m_userName;
    StudentIdentity m_student;
    QList<Chapter> m_chapters;
};

// The name of the user logged in on this computer, as the system knows it.
QString currentUserName();

} // namespace kelvo
