#include "FormBridge.h"

TFormBridge::TFormBridge(QObject *parent)
    : QObject(parent)
{
}

QString TFormBridge::channelName()
{
    return QStringLiteral("kelvoForms");
}

void TFormBridge::submit(const QString &action, const QString &target, const QString &encType, const QString &method,
    const QVariantList &results)
{
    QStringList lines;
    lines.reserve(results.size());
    for (const QVariant &line : results)
        lines.append(line.toString());
    Q_EMIT submitted(action, target, encType, method, lines);
}

void TFormBridge::unreadable(const QString &action, const QString &message)
{
    Q_EMIT failed(action, message);
}

void TFormBridge::back()
{
    Q_EMIT backRequested();
}
