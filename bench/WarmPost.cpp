#include "WarmPost.h"

#include <QDeadlineTimer>
#include <QSslCertificate>
#include <QSslConfiguration>

WarmPost::WarmPost(quint16 port, const QString& caFile) : m_port(port), m_caFile(caFile) {}

bool WarmPost::open(const QByteArray& body)
{
    QSslConfiguration tls = m_socket.sslConfiguration();
    tls.setCaCertificates(QSslCertificate::fromPath(m_caFile));
    m_socket.setSslConfiguration(tls);
    m_socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), m_port);
    if (!m_socket.waitForEncrypted(10000)) {
        m_error = m_socket.errorString();
        return false;
    }
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (post(body).isNull()) {
        m_error = QStringLiteral("the first request got no answer: ") + m_error;
        return false;
    }
    return true;
}

QByteArray WarmPost::post(const QByteArray& body, int timeoutMs)
{
    const QByteArray request = "POST /api.php/Gateway/index HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                               "Content-Type: application/x-www-form-urlencoded\r\nConnection: keep-alive\r\n"
                               "Content-Length: " +
                               QByteArray::number(body.size()) + "\r\n\r\n" + body;
    m_socket.write(request);
    const QDeadlineTimer deadline(timeoutMs);
    QByteArray reply;
    int headerEnd = -1;
    qint64 length = -1;
    while (headerEnd < 0 || reply.size() < headerEnd + 4 + length) {
        if (deadline.hasExpired() || !m_socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
            m_error = QStringLiteral("no complete reply: ") + m_socket.errorString();
            return QByteArray();
        }
        reply += m_socket.readAll();
        if (headerEnd < 0 && (headerEnd = reply.indexOf("\r\n\r\n")) >= 0) {
            for (const QByteArray& line : reply.left(headerEnd).split('\n')) {
                if (line.toLower().startsWith("content-length:"))
                    length = line.mid(15).trimmed().toLongLong();
            }
            if (length < 0) {
                m_error = QStringLiteral("a reply without Content-Length");
                return QByteArray();
            }
        }
    }
    if (!reply.startsWith("HTTP/1.1 200")) {
        m_error = QString::fromLatin1(reply.left(reply.indexOf('\r')));
        return QByteArray();
    }
    return reply.mid(headerEnd + 4, int(length));
}
