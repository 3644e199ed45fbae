#pragma once

#include <QHash>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace quelto::test {

// A web server on the loopback that answers each path as told and keeps the
// requests it was sent.
class PosterServer : public QObject
{
public:
    struct Answer
    {
        QByteArray head; // status line and headers after "HTTP/1.1 "
        QByteArray body;
    };

    PosterServer()
    {
        if (!m_server.listen(QHostAddress::LocalHost))
            qFatal("no port for the test web server");
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    QUrl url(const QString& path, const QString& host = QStringLiteral("127.0.0.1")) const
    {
        return QUrl(QStringLiteral("http://%1:%2%3").arg(host).arg(m_server.serverPort()).arg(path));
    }
    void answer(const QByteArray& path, Answer answer) { m_answers[path] = std::move(answer); }
    QList<QByteArray> requests;

private:
    void serve(QTcpSocket* socket)
    {
        QByteArray& pending = m_pending[socket];
        pending += socket->readAll();
        if (!pending.contains("\r\n\r\n"))
            return;
        requests << pending;
        const QByteArray path = pending.split(' ').value(1);
        pending.clear();
        const Answer a = m_answers.value(path, {"404 Not Found\r\nContent-Length: 0\r\n", {}});
        socket->write("HTTP/1.1 " + a.head + "Connection: close\r\n\r\n");
        socket->write(a.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QByteArray, Answer> m_answers;
    QHash<QTcpSocket*, QByteArray> m_pending;
};

} // namespace quelto::test
