#include "DroppingProxy.h"

#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

// Lives on the proxy's thread: the listener and every connection pair.
class DroppingProxyWorker : public QTcpServer
{
public:
    explicit DroppingProxyWorker(DroppingProxy* proxy) : m_proxy(proxy) {}

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* client = new QTcpSocket(this);
        client->setSocketDescriptor(descriptor);
        auto* upstream = new QTcpSocket(this);
        upstream->connectToHost(QStringLiteral("127.0.0.1"), m_proxy->m_upstreamPort);
        // Whether the reply now on its way from the gateway goes to the client.
        auto dropping = std::make_shared<bool>(false);
        auto request = std::make_shared<QByteArray>();
        connect(client, &QTcpSocket::readyRead, upstream, [=] {
            const QByteArray bytes = client->readAll();
            *request += bytes;
            if (!*dropping && m_proxy->takeDrop(*request))
                *dropping = true;
            upstream->write(bytes);
        });
        connect(upstream, &QTcpSocket::readyRead, client, [=] {
            const QByteArray reply = upstream->readAll();
            if (*dropping) {
                // The gateway has answered (so it has acted): the client hears nothing, ever.
                client->abort();
                upstream->abort();
                return;
            }
            request->clear();
            client->write(reply);
        });
        const auto closeBoth = [=] {
            client->disconnectFromHost();
            upstream->disconnectFromHost();
        };
        connect(client, &QTcpSocket::disconnected, upstream, closeBoth);
        connect(upstream, &QTcpSocket::disconnected, client, closeBoth);
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        connect(upstream, &QTcpSocket::disconnected, upstream, &QObject::deleteLater);
    }

private:
    DroppingProxy* m_proxy;
};

DroppingProxy::DroppingProxy(quint16 upstreamPort) : m_upstreamPort(upstreamPort) {}

DroppingProxy::~DroppingProxy()
{
    m_thread.quit();
    m_thread.wait();
}

bool DroppingProxy::start()
{
    auto* worker = new DroppingProxyWorker(this);
    if (!worker->listen(QHostAddress::LocalHost, 0)) {
        delete worker;
        return false;
    }
    m_port = worker->serverPort();
    worker->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, worker, &QObject::deleteLater);
    m_thread.start();
    return true;
}

QString DroppingProxy::url() const
{
    return QStringLiteral("http://127.0.0.1:%1/api.php/Gateway/index").arg(m_port);
}

void DroppingProxy::dropNextReply(const QByteArray& action)
{
    QMutexLocker lock(&m_mutex);
    m_dropAction = action;
}

int DroppingProxy::repliesDropped() const
{
    QMutexLocker lock(&m_mutex);
    return m_dropped;
}

bool DroppingProxy::takeDrop(const QByteArray& request)
{
    QMutexLocker lock(&m_mutex);
    if (m_dropAction.isEmpty() || !request.contains("action=" + m_dropAction))
        return false;
    m_dropAction.clear();
    ++m_dropped;
    return true;
}
