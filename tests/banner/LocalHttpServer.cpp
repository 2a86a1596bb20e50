#include "LocalHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace testing_support {

LocalHttpServer::LocalHttpServer()
{
    if (!server.listen(QHostAddress::LocalHost))
        qFatal("cannot listen on 127.0.0.1");
    connect(&server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            auto* received = new QByteArray;
            connect(socket, &QObject::destroyed, [received] { delete received; });
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, received] {
                received->append(socket->readAll());
                if (received->contains("\r\n\r\n")) {
                    const QByteArray request = *received;
                    received->clear();
                    answer(socket, request);
                }
            });
        }
    });
}

void LocalHttpServer::set(const QString& path, Response response) { routes.insert(path, std::move(response)); }

std::string LocalHttpServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server.serverPort()).arg(path).toStdString();
}

void LocalHttpServer::answer(QTcpSocket* socket, const QByteArray& request)
{
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    const QString path = words.size() > 1 ? QString::fromLatin1(words[1]) : QString();
    ++counts[path];
    const Response response = routes.value(path, Response{404, "not here", "text/plain", false});
    if (response.hang)
        return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Answer\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head + response.body);
    socket->disconnectFromHost();
}

} // namespace testing_support
