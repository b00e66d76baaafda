#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

// A small HTTP/1.1 server on 127.0.0.1 for the tests of the code that downloads: each answer is set per path,
// and each can misbehave the way real servers do (stream for ever, drip a byte at a time).
class LoopbackHttpServer : public QObject
{
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QHash<QByteArray, QByteArray> headers; // names lower-cased
    };

    struct Response
    {
        enum class Body {
            whole, // the body, then the connection closes
            endless, // the body, then filler for as long as the client reads
            drip, // the body one byte at a time, every dripIntervalMs, then filler the same way for ever
        };
        int status = 200;
        QList<std::pair<QByteArray, QByteArray>> headers;
        QByteArray body;
        Body mode = Body::whole;
        bool announceLength = true; // send Content-Length (whole bodies only)
        int dripIntervalMs = 20;
    };

    LoopbackHttpServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }

    void answer(const QByteArray &path, Response response) { m_responses.insert(path, std::move(response)); }
    static Response page(const QByteArray &html, int status = 200)
    {
        return {status, {{"Content-Type", "text/html; charset=utf-8"}}, html};
    }
    static Response redirect(const QByteArray &location, int status = 302)
    {
        return {status, {{"Location", location}}, {}};
    }

    QString address(const QByteArray &path = "/") const
    {
        return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()) + QString::fromLatin1(path);
    }

    const QList<Request> &requests() const { return m_requests; }
    QList<QByteArray> requestedPaths() const
    {
        QList<QByteArray> paths;
        for (const Request &request : m_requests)
            paths.append(request.path);
        return paths;
    }
    // Bytes written to clients, bodies and filler included.
    qint64 bytesSent() const { return m_bytesSent; }
    // Connections that the client has closed or the server has finished.
    int closedConnections() const { return m_closedConnections; }

private:
    void serve(QTcpSocket *socket)
    {
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            ++m_closedConnections;
            socket->deleteLater();
        });
        QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (end < 0 || socket->property("answered").toBool())
                return;
            socket->setProperty("answered", true);
            const QList<QByteArray> lines = buffer->left(end).split('\n');
            Request request;
            const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
            request.method = requestLine.value(0);
            request.path = requestLine.value(1);
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const QByteArray line = lines.at(i).trimmed();
                const qsizetype colon = line.indexOf(':');
                if (colon > 0)
                    request.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
            }
            m_requests.append(request);
            respond(socket, m_responses.value(request.path, Response {404, {}, "not here"}));
        });
    }

    void send(QTcpSocket *socket, const QByteArray &bytes)
    {
        m_bytesSent += bytes.size();
        socket->write(bytes);
    }

    void respond(QTcpSocket *socket, const Response &response)
    {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n";
        for (const auto &[name, value] : response.headers)
            head += name + ": " + value + "\r\n";
        if (response.mode == Response::Body::whole && response.announceLength)
            head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        head += "Connection: close\r\n\r\n";
        send(socket, head);

        QPointer<QTcpSocket> guarded(socket);
        switch (response.mode) {
        case Response::Body::whole:
            send(socket, response.body);
            socket->disconnectFromHost();
            break;
        case Response::Body::endless: {
            send(socket, response.body);
            // Write more only when the client has taken what was written, like a real server under flow control.
            auto *timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [this, guarded] {
                if (guarded && guarded->state() == QAbstractSocket::ConnectedState
                    && guarded->bytesToWrite() < 64 * 1024)
                    send(guarded, QByteArray(16 * 1024, ' '));
            });
            timer->start(1);
            break;
        }
        case Response::Body::drip: {
            auto *timer = new QTimer(socket);
            auto position = std::make_shared<qsizetype>(0);
            const QByteArray body = response.body;
            QObject::connect(timer, &QTimer::timeout, socket, [this, guarded, body, position] {
                if (!guarded || guarded->state() != QAbstractSocket::ConnectedState)
                    return;
                send(guarded, *position < body.size() ? body.mid((*position)++, 1) : QByteArray(" "));
            });
            timer->start(response.dripIntervalMs);
            break;
        }
        }
    }

    QTcpServer m_server;
    QHash<QByteArray, Response> m_responses;
    QList<Request> m_requests;
    qint64 m_bytesSent = 0;
    int m_closedConnections = 0;
};
