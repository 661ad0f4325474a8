#pragma once
// A loopback HTTP server for engine tests: answers the paths it was given, 404 otherwise, and
// records every request (path, Cookie and User-Agent headers). A held response waits, in part
// or whole, until the test releases it.

#include <QHostAddress>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

struct HttpRequest {
    QByteArray path;
    QByteArray cookie;
    QByteArray userAgent;
};

class TestHttpServer final : public QObject {
public:
    TestHttpServer() {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                ++connections;
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Read(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    bool IsListening() const { return m_server.isListening(); }
    QString Url(const QString &path) const {
        return u"http://127.0.0.1:%1%2"_qs.arg(m_server.serverPort()).arg(path);
    }
    // headers: extra response header lines, each ending with CRLF.
    void Serve(const QByteArray &path, const QByteArray &body,
               const QByteArray &headers = "Content-Type: text/html\r\n") {
        m_responses.insert(path, {headers, body});
    }

    // Answers path with status and headers and the part of body before "<!--HOLD-->" at once
    // (no length: the end of the connection ends the body) and the rest on Release; without the
    // marker the whole answer waits.
    void ServeHeld(const QByteArray &path, const QByteArray &body,
                   const QByteArray &headers = "Content-Type: text/html\r\n",
                   const QByteArray &status = "200 OK") {
        m_held.insert(path, {status, headers, body});
    }
    void Release(const QByteArray &path) {
        const Held held = m_held.value(path);
        const qsizetype marker = held.body.indexOf(kHold);
        for (const QPointer<QTcpSocket> &socket : m_waiting.take(path)) {
            if (!socket)
                continue;
            if (marker < 0)
                socket->write(Head(held.status, held.headers) + held.body);
            else
                socket->write(held.body.mid(marker + kHold.size()));
            socket->disconnectFromHost();
        }
    }
    int RequestsOf(const QByteArray &path) const {
        int n = 0;
        for (const HttpRequest &request : requests)
            n += request.path == path ? 1 : 0;
        return n;
    }

    int connections = 0;
    QList<HttpRequest> requests;

private:
    struct Held {
        QByteArray status;
        QByteArray headers;
        QByteArray body;
    };
    static constexpr QByteArrayView kHold = "<!--HOLD-->";

    static QByteArray Head(const QByteArray &status, const QByteArray &headers) {
        return "HTTP/1.1 " + status + "\r\n" + headers + "Connection: close\r\n\r\n";
    }
    // Sends what goes at once of a held answer; the socket waits for the rest.
    void Hold(QTcpSocket *socket, const QByteArray &path) {
        const Held held = m_held.value(path);
        const qsizetype marker = held.body.indexOf(kHold);
        if (marker >= 0)
            socket->write(Head(held.status, held.headers) + held.body.left(marker));
        m_waiting[path].append(socket);
    }

    void Read(QTcpSocket *socket) {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        buffer.clear();
        HttpRequest request;
        request.path = lines.value(0).split(' ').value(1);
        for (const QByteArray &line : lines) {
            if (line.toLower().startsWith("cookie:"))
                request.cookie = line.mid(7).trimmed();
            if (line.toLower().startsWith("user-agent:"))
                request.userAgent = line.mid(11).trimmed();
        }
        requests.append(request);
        if (m_held.contains(request.path)) {
            Hold(socket, request.path);
            return;
        }
        const auto found = m_responses.constFind(request.path);
        const QByteArray status = found == m_responses.cend() ? "404 Not Found" : "200 OK";
        const QByteArray headers = found == m_responses.cend() ? QByteArray() : found->first;
        const QByteArray body = found == m_responses.cend() ? QByteArray() : found->second;
        socket->write("HTTP/1.1 " + status + "\r\n" + headers + "Content-Length: " +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QMap<QByteArray, std::pair<QByteArray, QByteArray>> m_responses;
    QMap<QByteArray, Held> m_held;
    QMap<QByteArray, QList<QPointer<QTcpSocket>>> m_waiting;
    QMap<QTcpSocket *, QByteArray> m_buffers;
};
