#pragma once
// A web server on 127.0.0.1 for tests, on a port of its own choosing: it
// answers each path with a canned response, cut short or left hanging where
// told, and keeps the head of every request it received.

#include <QHostAddress>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace testsupport {

class LoopbackHttpServer : public QObject
{
public:
    struct Response
    {
        QByteArray status = "200 OK";
        QByteArray headers; // more header lines, each ending in CR LF
        QByteArray body;
        qsizetype sent = -1; // of the body; then hang up, or with `stall`, fall silent
        bool stall = false;
    };
    QMap<QByteArray, Response> responses; // by path; others get 404
    QList<QByteArray> requests;

    LoopbackHttpServer()
    {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        });
    }

    QUrl url(const QString& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }

private:
    void answer(QTcpSocket* socket)
    {
        QByteArray& head = pending_[socket];
        head += socket->readAll();
        if (!head.contains("\r\n\r\n"))
            return;
        requests << head;
        const QByteArray path = head.split(' ').value(1);
        const Response r = responses.value(path, Response{"404 Not Found", {}, "none", -1, false});
        pending_.remove(socket);
        // One request a connection, as "Connection: close" says: a client that
        // sent another before seeing the close retries it elsewhere.
        QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
        socket->write("HTTP/1.1 " + r.status + "\r\n" + r.headers + "Content-Length: " +
                      QByteArray::number(r.body.size()) + "\r\nConnection: close\r\n\r\n" +
                      (r.sent < 0 ? r.body : r.body.left(r.sent)));
        socket->flush();
        if (!r.stall)
            socket->disconnectFromHost();
    }

    QTcpServer server_;
    QMap<QTcpSocket*, QByteArray> pending_;
};

} // namespace testsupport
