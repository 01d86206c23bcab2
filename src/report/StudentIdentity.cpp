#include "StudentIdentity.h"

#include <QByteArrayList>

#include <pwd.h>
#include <unistd.h>

namespace kelvo {

namespace {

QString givenField(const QString &commandLine, const char *variable)
{
    const QString fromCommandLine = commandLine.trimmed();
    return fromCommandLine.isEmpty() ? qEnvironmentVariable(variable).trimmed() : fromCommandLine;
}

} // namespace

StudentIdentity givenStudent(const QString &commandLineName, const QString &commandLineGroup)
{
    return StudentIdentity { givenField(commandLineName, StudentVariable),
        givenField(commandLineGroup, GroupVariable) };
}

QString fullNameFromGecos(const QByteArray &gecos, const QByteArray &login)
{
    // The other fields (room, telephones) follow the first comma.
    const QString name = QString::fromLocal8Bit(gecos.split(',').constFirst()).trimmed();
    return name == QString::fromLocal8Bit(login) ? QString() : name;
}

QString accountFullName()
{
    const passwd *entry = getpwuid(getuid());
    if (!entry || !entry->pw_gecos)
        return {};
    return fullNameFromGecos(entry->pw_gecos, entry->pw_name ? QByteArray(entry->pw_name) : QByteArray());
}

} // namespace kelvo
