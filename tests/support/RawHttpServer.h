#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

// A bare HTTP listener on 127.0.0.1 for what the demo gateway never does: it reads each request
// (headers and a Content-Length body) on every connection it accepts, counts the whole ones, and
// hands each to the test, which may answer, hang up, or reset the connection.
class RawHttpServer : public QTcpServer
{
public:
    using Handler = std::function<void(QTcpSocket* socket, const QByteArray& request)>;

    explicit RawHttpServer(Handler handler);

    QString url() const;
    int requestsReceived() const { return m_requests; }
    int connectionsAccepted() const { return m_connections; }

    // Closes the connection with a reset (RST) instead of a graceful close (FIN).
    static void reset(QTcpSocket* socket);
    // Closes each connection (FIN) once it has been idle this long, as gateways do with kept-alive
    // connections: after it was accepted or after the handler last wrote.
    void setIdleCloseMs(int milliseconds) { m_idleCloseMs = milliseconds; }
    // Answers a request with 200 and `body`, keeping the connection open.
    static void answer(QTcpSocket* socket, const QByteArray& body);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    Handler m_handler;
    int m_requests = 0;
    int m_connections = 0;
    int m_idleCloseMs = 0;
};
