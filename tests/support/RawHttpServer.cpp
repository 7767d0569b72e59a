#include "RawHttpServer.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <sys/socket.h>

namespace {
// The length of the first whole request in buffer, or 0 while it is still arriving.
int wholeRequestLength(const QByteArray& buffer)
{
    const int headersEnd = buffer.indexOf("\r\n\r\n");
    if (headersEnd < 0)
        return 0;
    int bodyLength = 0;
    for (const QByteArray& line : buffer.left(headersEnd).split('\n')) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "content-length")
            bodyLength = line.mid(colon + 1).trimmed().toInt();
    }
    const int length = headersEnd + 4 + bodyLength;
    return buffer.size() >= length ? length : 0;
}
} // namespace

RawHttpServer::RawHttpServer(Handler handler) : m_handler(std::move(handler))
{
    listen(QHostAddress::LocalHost, 0);
}

QString RawHttpServer::url() const
{
    return QString("http://127.0.0.1:%1/api.php/Gateway/index").arg(serverPort());
}

void RawHttpServer::reset(QTcpSocket* socket)
{
    // Lingering for zero seconds makes close() discard the connection with a reset.
    const linger now{1, 0};
    setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
    socket->abort();
}

void RawHttpServer::answer(QTcpSocket* socket, const QByteArray& body)
{
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\n\r\n" + body);
}

void RawHttpServer::incomingConnection(qintptr descriptor)
{
    auto* socket = new QTcpSocket(this);
    socket->setSocketDescriptor(descriptor);
    ++m_connections;
    if (m_idleCloseMs > 0) {
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, [socket] { socket->disconnectFromHost(); });
        connect(socket, &QTcpSocket::bytesWritten, idle, [idle] { idle->start(); });
        idle->start(m_idleCloseMs);
    }
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
        *buffer += socket->readAll();
        while (const int length = wholeRequestLength(*buffer)) {
            const QByteArray request = buffer->left(length);
            buffer->remove(0, length);
            ++m_requests;
            m_handler(socket, request);
            if (socket->state() != QAbstractSocket::ConnectedState)
                return;
        }
    });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}
