#include "EngineFlags.h"

#include <QList>
#include <QtGlobal>

namespace kelvo::engineflags {

namespace {

constexpr char FlagsVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";
constexpr char DisableSandboxVariable[] = "QTWEBENGINE_DISABLE_SANDBOX";

} // namespace

QStringList forRun(bool sandboxOff)
{
    QStringList flags;
    // Chromium accepts no zygote only without the sandbox.
    if (sandboxOff)
        flags.append(QStringLiteral("--no-zygote"));
    return flags;
}

bool sandboxOff(bool disableSandboxSet, const QByteArray &flags)
{
    return disableSandboxSet || flags.simplified().split(' ').contains(QByteArrayLiteral("--no-sandbox"));
}

QByteArray merged(const QByteArray &existing, const QStringList &extra)
{
    const QList<QByteArray> present = existing.simplified().split(' ');
    QByteArray result = existing.trimmed();
    for (const QString &flag : extra) {
        const QByteArray bytes = flag.toLatin1();
        if (present.contains(bytes))
            continue;
        if (!result.isEmpty())
            result += ' ';
        result += bytes;
    }
    return result;
}

void apply()
{
    const QByteArray flags = qgetenv(FlagsVariable);
    const bool off = sandboxOff(qEnvironmentVariableIsSet(DisableSandboxVariable), flags);
    const QByteArray result = merged(flags, forRun(off));
    if (result != flags)
        qputenv(FlagsVariable, result);
}

} // namespace kelvo::engineflags
