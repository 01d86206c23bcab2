#include "EngineFlags.h"

#include <QList>

#include <optional>

namespace kelvo::engineflags {

namespace {

constexpr char V8Switch[] = "--js-flags";
constexpr char V8SwitchWithValue[] = "--js-flags=";
constexpr char V8Collector[] = "--js-flags=--expose-gc";

bool isV8Switch(const QByteArray &word)
{
    return word == V8Switch || word.startsWith(V8SwitchWithValue);
}

// Set while apply() has changed the variable: the user's value, none where it was unset.
std::optional<std::optional<QByteArray>> &saved()
{
    static std::optional<std::optional<QByteArray>> value;
    return value;
}

} // namespace

QByteArray withOwnFlags(const QByteArray &userFlags)
{
    const QList<QByteArray> words = userFlags.simplified().split(' ');
    for (const QByteArray &word : words) {
        if (isV8Switch(word))
            return userFlags;
    }
    const QByteArray kept = userFlags.trimmed();
    return kept.isEmpty() ? QByteArray(V8Collector) : QByteArray(kept + ' ' + V8Collector);
}

void apply()
{
    if (saved())
        return;
    const bool set = qEnvironmentVariableIsSet(Variable);
    const QByteArray user = qgetenv(Variable);
    const QByteArray flags = withOwnFlags(user);
    if (set && flags == user)
        return;
    saved() = set ? std::optional<QByteArray>(user) : std::nullopt;
    qputenv(Variable, flags);
}

void restore()
{
    if (!saved())
        return;
    if (*saved())
        qputenv(Variable, **saved());
    else
        qunsetenv(Variable);
    saved().reset();
}

} // namespace kelvo::engineflags
