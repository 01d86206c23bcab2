#pragma once

#include <QAccessible>
#include <QString>
#include <QTest>
#include <QWidget>

namespace kelvo::test {

// What assistive technology is told of a widget: its role, name and description, compared as one
// with a row of a test's table.
struct Told
{
    int role = -1;
    QString name;
    QString description;

    friend bool operator==(const Told &, const Told &) = default;
};

inline Told toldOf(QWidget *widget)
{
    QAccessibleInterface *told = widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
    if (!told)
        return {};
    return { int(told->role()), told->text(QAccessible::Name), told->text(QAccessible::Description) };
}

inline char *toString(const Told &told)
{
    return QTest::toString(
        QStringLiteral("role %1, name \"%2\", description \"%3\"").arg(told.role).arg(told.name, told.description));
}

} // namespace kelvo::test
