#include "RawPost.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

QByteArray rawPost(quint16 port, const QByteArray& body)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return QByteArray();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    const QByteArray request = "POST /api.php/Gateway/index HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                               "Content-Type: application/x-www-form-urlencoded\r\nConnection: close\r\n"
                               "Content-Length: " +
                               QByteArray::number(body.size()) + "\r\n\r\n" + body;
    ok = ok && ::write(fd, request.constData(), size_t(request.size())) == request.size();
    QByteArray reply;
    char buffer[4096];
    ssize_t n = 0;
    while (ok && (n = ::read(fd, buffer, sizeof buffer)) > 0)
        reply.append(buffer, int(n));
    ::close(fd);
    if (!ok || !reply.startsWith("HTTP/1.1 200"))
        return QByteArray();
    return reply.mid(reply.indexOf("\r\n\r\n") + 4);
}
