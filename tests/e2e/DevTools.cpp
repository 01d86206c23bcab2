#include "DevTools.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QUrl>

namespace kelvo::e2e {

namespace {

constexpr int CallTimeoutMs = 10000;
constexpr qsizetype MaxMessageBytes = 64 * 1024 * 1024;

enum Opcode : quint8 { Continuation = 0x0, Text = 0x1, Binary = 0x2, Close = 0x8, Ping = 0x9, Pong = 0xA };

} // namespace

DevTools::DevTools(quint16 port)
    : m_port(port)
{
}

std::optional<QByteArray> DevTools::httpGet(const QByteArray &path, QString *error)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), m_port);
    if (!socket.waitForConnected(2000)) {
        *error = QStringLiteral("no debugging server: ") + socket.errorString();
        return std::nullopt;
    }
    // The debugging server answers HTTP/1.1 only, and keeps the connection: read what it announces.
    socket.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray answer;
    qsizetype body = -1;
    qsizetype length = -1;
    const QDeadlineTimer deadline(5000);
    while (length < 0 || answer.size() < body + length) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        answer += socket.readAll();
        if (body < 0 && (body = answer.indexOf("\r\n\r\n")) >= 0) {
            body += 4;
            const QByteArray headers = answer.left(body).toLower();
            const qsizetype field = headers.indexOf("content-length:");
            length = field < 0
                ? 0
                : headers.mid(field + 15, headers.indexOf('\r', field) - field - 15).trimmed().toLongLong();
        }
    }
    if (!answer.startsWith("HTTP/1.1 200") || length < 0 || answer.size() < body + length) {
        *error = QStringLiteral("debugging server answered: ") + QString::fromLatin1(answer.left(60));
        return std::nullopt;
    }
    return answer.mid(body, length);
}

bool DevTools::connectToPage(QString *error)
{
    const std::optional<QByteArray> list = httpGet("/json/list", error);
    if (!list)
        return false;
    QUrl pageUrl;
    for (const QJsonValue &target : QJsonDocument::fromJson(*list).array()) {
        if (target[QStringLiteral("type")].toString() == u"page") {
            pageUrl = QUrl(target[QStringLiteral("webSocketDebuggerUrl")].toString());
            break;
        }
    }
    if (!pageUrl.isValid()) {
        *error = QStringLiteral("the web engine has no page yet");
        return false;
    }

    m_socket.abort();
    m_pending.clear();
    m_socket.connectToHost(QStringLiteral("127.0.0.1"), m_port);
    if (!m_socket.waitForConnected(2000)) {
        *error = m_socket.errorString();
        return false;
    }
    QByteArray key(16, Qt::Uninitialized);
    for (char &c : key)
        c = char(QRandomGenerator::global()->bounded(256));
    QByteArray request = "GET " + pageUrl.path(QUrl::FullyEncoded).toLatin1() + " HTTP/1.1\r\n";
    request += "Host: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n";
    request += "Sec-WebSocket-Key: " + key.toBase64() + "\r\nSec-WebSocket-Version: 13\r\n\r\n";
    m_socket.write(request);
    const QDeadlineTimer deadline(5000);
    while (!m_pending.contains("\r\n\r\n") && !deadline.hasExpired()) {
        if (!m_socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        m_pending += m_socket.readAll();
    }
    const qsizetype end = m_pending.indexOf("\r\n\r\n");
    if (end < 0 || !m_pending.startsWith("HTTP/1.1 101")) {
        *error = QStringLiteral("the page refused the connection: ") + QString::fromLatin1(m_pending.left(60));
        m_socket.abort();
        return false;
    }
    m_pending.remove(0, end + 4);
    return true;
}

bool DevTools::sendText(const QByteArray &payload)
{
    // Frames from a client are masked.
    QByteArray frame;
    frame.append(char(0x80 | Text));
    const qsizetype size = payload.size();
    if (size < 126) {
        frame.append(char(0x80 | size));
    } else if (size < 65536) {
        frame.append(char(0x80 | 126));
        frame.append(char(size >> 8)).append(char(size & 0xff));
    } else {
        frame.append(char(0x80 | 127));
        for (int shift = 56; shift >= 0; shift -= 8)
            frame.append(char((quint64(size) >> shift) & 0xff));
    }
    const quint32 mask = QRandomGenerator::global()->generate();
    const char maskBytes[4] = { char(mask >> 24), char(mask >> 16), char(mask >> 8), char(mask) };
    frame.append(maskBytes, 4);
    for (qsizetype i = 0; i < size; ++i)
        frame.append(char(payload[i] ^ maskBytes[i % 4]));
    if (m_socket.write(frame) != frame.size())
        return false;
    return m_socket.waitForBytesWritten(CallTimeoutMs) || m_socket.bytesToWrite() == 0;
}

bool DevTools::readExactly(qsizetype count, QByteArray &into)
{
    const QDeadlineTimer deadline(CallTimeoutMs);
    while (m_pending.size() < count) {
        if (deadline.hasExpired() || !m_socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            return false;
        m_pending += m_socket.readAll();
    }
    into = m_pending.left(count);
    m_pending.remove(0, count);
    return true;
}

std::optional<QByteArray> DevTools::readMessage(QString *error)
{
    QByteArray message;
    for (;;) {
        QByteArray header;
        if (!readExactly(2, header)) {
            *error = QStringLiteral("the page did not answer in time");
            return std::nullopt;
        }
        const bool final = quint8(header[0]) & 0x80;
        const quint8 opcode = quint8(header[0]) & 0x0f;
        quint64 size = quint8(header[1]) & 0x7f;
        QByteArray extended;
        if (size == 126 || size == 127) {
            if (!readExactly(size == 126 ? 2 : 8, extended)) {
                *error = QStringLiteral("a frame broke off");
                return std::nullopt;
            }
            size = 0;
            for (const char byte : std::as_const(extended))
                size = (size << 8) | quint8(byte);
        }
        if (size > quint64(MaxMessageBytes) || quint64(message.size()) + size > quint64(MaxMessageBytes)) {
            *error = QStringLiteral("an answer of the page is too large");
            return std::nullopt;
        }
        QByteArray payload;
        if (!readExactly(qsizetype(size), payload)) {
            *error = QStringLiteral("a frame broke off");
            return std::nullopt;
        }
        if (opcode == Close) {
            *error = QStringLiteral("the page closed the connection");
            m_socket.abort();
            return std::nullopt;
        }
        if (opcode == Ping || opcode == Pong)
            continue; // the engine does not ping; nothing to answer for a test's short life
        message += payload;
        if (final)
            return message;
    }
}

std::optional<QJsonObject> DevTools::call(const QString &method, const QJsonObject &params, QString *error)
{
    const int id = m_nextId++;
    const QJsonObject request { { QStringLiteral("id"), id }, { QStringLiteral("method"), method },
        { QStringLiteral("params"), params } };
    if (!sendText(QJsonDocument(request).toJson(QJsonDocument::Compact))) {
        *error = QStringLiteral("cannot send to the page: ") + m_socket.errorString();
        return std::nullopt;
    }
    for (;;) {
        const std::optional<QByteArray> message = readMessage(error);
        if (!message)
            return std::nullopt;
        const QJsonObject answer = QJsonDocument::fromJson(*message).object();
        if (answer[QStringLiteral("id")].toInt(-1) != id)
            continue; // an event, or the answer to a call that timed out earlier
        if (answer.contains(QStringLiteral("error"))) {
            *error = answer[QStringLiteral("error")][QStringLiteral("message")].toString();
            return std::nullopt;
        }
        return answer[QStringLiteral("result")].toObject();
    }
}

std::optional<QJsonValue> DevTools::evaluate(const QString &expression, QString *error)
{
    QString ignored;
    if (!error)
        error = &ignored;
    const std::optional<QJsonObject> result = call(QStringLiteral("Runtime.evaluate"),
        { { QStringLiteral("expression"), expression }, { QStringLiteral("returnByValue"), true } }, error);
    if (!result)
        return std::nullopt;
    if (result->contains(QStringLiteral("exceptionDetails"))) {
        *error
            = (*result)[QStringLiteral("exceptionDetails")][QStringLiteral("exception")][QStringLiteral("description")]
                  .toString();
        return std::nullopt;
    }
    return (*result)[QStringLiteral("result")][QStringLiteral("value")];
}

} // namespace kelvo::e2e
