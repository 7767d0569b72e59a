#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QThread>

// A TCP proxy on 127.0.0.1 in front of the gateway, on a thread of its own (the test's own thread
// may be blocked waiting for a program it drives). It passes everything through, except that the
// reply to the next request carrying a given action is read from the gateway and thrown away, and
// the client's connection is then reset without a byte of it: the gateway acted, the client never
// hears of it — a lost uplink, a proxy dying at the wrong moment.
class DroppingProxy
{
public:
    explicit DroppingProxy(quint16 upstreamPort);
    ~DroppingProxy();

    bool start();
    QString url() const; // the gateway URL through the proxy

    void dropNextReply(const QByteArray& action);
    int repliesDropped() const;

private:
    friend class DroppingProxyWorker;
    bool takeDrop(const QByteArray& request);

    quint16 m_upstreamPort;
    quint16 m_port = 0;
    QThread m_thread;
    mutable QMutex m_mutex;
    QByteArray m_dropAction;
    int m_dropped = 0;
};
