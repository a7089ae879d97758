#include "support/LocalWebServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

namespace fyn::test {

LocalWebServer::LocalWebServer() : server_(new QTcpServer(this)) {
    server_->listen(QHostAddress::LocalHost, 0);
    connect(server_, &QTcpServer::newConnection, this, &LocalWebServer::answer);
}

LocalWebServer::~LocalWebServer() = default;

QString LocalWebServer::base() const {
    return QStringLiteral("http://127.0.0.1:%1/").arg(server_->serverPort());
}

void LocalWebServer::answer() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            *buffer += socket->readAll();
            if (!buffer->contains("\r\n\r\n"))
                return;
            const QList<QByteArray> line = buffer->left(buffer->indexOf("\r\n")).split(' ');
            const QString path = line.size() >= 2 ? QString::fromLatin1(line[1]) : QString();
            requests << path;
            const bool found = pages_.contains(path);
            const QByteArray body = found ? pages_.value(path) : QByteArray("Not found");
            socket->write((found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                          QByteArray("Content-Type: text/html; charset=utf-8\r\n"
                                     "Content-Length: ") +
                          QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

} // namespace fyn::test
