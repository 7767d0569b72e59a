#pragma once

#include <QByteArray>
#include <QSslSocket>
#include <QString>

// Gateway POSTs on one keep-alive HTTPS connection that stays open: connected, TLS done and a first
// request answered before the first timed one, each request in a single write. What one request
// costs a client that has nothing left to set up: the baseline of the wide-area figures.
class WarmPost
{
public:
    // `caFile`: the certificate the gateway is trusted by.
    WarmPost(quint16 port, const QString& caFile);

    // Connects, shakes hands and sends `body` once; false (with the reason in error()) otherwise.
    bool open(const QByteArray& body);
    // One POST on the open connection; the reply body, or a null array when none came complete
    // within `timeoutMs` or it was not a 200.
    QByteArray post(const QByteArray& body, int timeoutMs = 10000);
    QString error() const { return m_error; }

private:
    quint16 m_port;
    QString m_caFile;
    QSslSocket m_socket;
    QString m_error;
};
