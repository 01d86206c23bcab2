#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

// The C++ end of the form bridge: the bridge script, which runs in the application's own script
// world, calls `submit` over the web channel whenever a form of the page is submitted.
class TFormBridge final : public QObject
{
    Q_OBJECT

public:
    explicit TFormBridge(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFormBridge)

    // The object's name on the web channel; FormBridge.js looks it up by this name.
    static QString channelName();

    Q_INVOKABLE void submit(const QString &action, const QString &target, const QString &encType, const QString &method,
        const QVariantList &results);
    // A submitted form could not be read in full (`message` says why); nothing was submitted.
    Q_INVOKABLE void unreadable(const QString &action, const QString &message);
    // Backspace or Alt+Left outside a field: the student asks for the page before.
    Q_INVOKABLE void back();

Q_SIGNALS:
    void submitted(const QString &action, const QString &target, const QString &encType, const QString &method,
        const QStringList &results);
    void failed(const QString &action, const QString &message);
    void backRequested();
};
