#pragma once

#include <QByteArray>
#include <QString>

namespace kelvo {

// Who does the lab work, as the student says it: a classroom's computers often share one account,
// whose user name tells the teacher nothing. The report names the student beside that account.
struct StudentIdentity
{
    QString name;
    QString group; // may be empty when a launcher gives the name alone

    // Known once there is a name.
    bool isKnown() const { return !name.trimmed().isEmpty(); }
};

// The student a launcher or a test gives: each field from the command line (--student, --group)
// or, when that is blank, from the environment (KELVO_STUDENT, KELVO_GROUP); trimmed.
StudentIdentity givenStudent(const QString &commandLineName, const QString &commandLineGroup);

// The full name an account's GECOS field holds (up to its first comma), trimmed; nothing when it
// is empty or only repeats the login name.
QString fullNameFromGecos(const QByteArray &gecos, const QByteArray &login);
// The full name of the account this program runs under, as fullNameFromGecos reads it.
QString accountFullName();

inline constexpr const char *StudentVariable = "KELVO_STUDENT";
inline constexpr const char *GroupVariable = "KELVO_GROUP";

} // namespace kelvo
