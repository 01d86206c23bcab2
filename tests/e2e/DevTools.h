#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QTcpSocket>

#include <optional>

namespace kelvo::e2e {

// A client of the web engine's remote debugging protocol (the program runs with
// QTWEBENGINE_REMOTE_DEBUGGING set), enough to read the page that the HTML viewer shows:
// what it says, where its controls are and what state they are in. It only reads; the test
// clicks and types through the X server like a student. Blocking calls with time limits.
class DevTools final
{
public:
    explicit DevTools(quint16 port);
    Q_DISABLE_COPY_MOVE(DevTools)

    // Connects to the viewer's page; false (with the reason) until the engine has one.
    bool connectToPage(QString *error);
    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

    // The value of a JavaScript expression evaluated in the page, passed back as JSON; nothing,
    // with the reason, when it throws or the page does not answer in time.
    std::optional<QJsonValue> evaluate(const QString &expression, QString *error = nullptr);

private:
    std::optional<QJsonObject> call(const QString &method, const QJsonObject &params, QString *error);
    std::optional<QByteArray> httpGet(const QByteArray &path, QString *error);
    bool sendText(const QByteArray &payload);
    std::optional<QByteArray> readMessage(QString *error);
    bool readExactly(qsizetype count, QByteArray &into);

    quint16 m_port;
    QTcpSocket m_socket;
    QByteArray m_pending;
    int m_nextId = 1;
};

} // namespace kelvo::e2e
