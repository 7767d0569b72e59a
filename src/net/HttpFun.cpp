#include "net/HttpFun.h"

#include "net/GatewayConnections.h"
#include "net/GatewayRequests.h"
#include "net/NetLog.h"

#include <QBuffer>
#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QTimer>
#include <QUrl>

namespace {
// No gateway reply comes near this (a page of the transaction list is a few kilobytes); anything
// bigger is not a reply to read, and is not kept in memory while it grows.
constexpr qint64 kMaxReplyBytes = 4 * 1024 * 1024;

HttpFun::ManagerPolicy g_policy = HttpFun::ManagerPolicy::Shared;
int g_testTimeout = 0;

// The request body, readable once. Qt writes a request again on a new connection when the old one
// closes before any byte of the reply came; the gateway may have acted on the first copy (a charge
// made twice). A body that cannot be rewound makes Qt fail the request instead.
class ForwardOnlyBody : public QIODevice
{
public:
    explicit ForwardOnlyBody(const QByteArray& body) : m_body(body) { open(ReadOnly | Unbuffered); }

    qint64 size() const override { return m_body.size(); }
    bool seek(qint64 pos) override { return pos >= this->pos() && QIODevice::seek(pos); }
    bool reset() override { return seek(0); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = qMin(maxSize, m_body.size() - pos());
        if (n <= 0)
            return -1;
        memcpy(data, m_body.constData() + pos(), size_t(n));
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const QByteArray m_body;
};

} // namespace

HttpFun::HttpFun(QObject* parent) : QObject(parent), m_timer(new QTimer(this))
{
    if (g_testTimeout > 0)
        m_timeout = g_testTimeout;
    // A coarse timer may fire up to 5 % early: the cashier is promised 30 seconds.
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &HttpFun::slot_requestTimeout);
}

HttpFun::~HttpFun()
{
    // Deleted before it reported (its owner went away): abandon the transfer quietly.
    if (m_reply) {
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void HttpFun::setManagerPolicy(ManagerPolicy policy)
{
    g_policy = policy;
}

HttpFun::ManagerPolicy HttpFun::managerPolicy()
{
    return g_policy;
}

void HttpFun::setTimeoutForTesting(int milliseconds)
{
    g_testTimeout = milliseconds;
}

void HttpFun::post(const QString& url, const QByteArray& body, Effect effect)
{
    m_url = url;
    const bool changes = effect == Effect::Changes;
    QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    // A change is read straight from its body device: a copy of Qt's own could be sent again.
    if (changes)
        request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    // Qt would ask for gzip and count the size limit after inflating: a small compressed reply
    // could fill the memory. Asked for explicitly, the body is taken as it comes, never inflated.
    request.setRawHeader(QByteArrayLiteral("Accept-Encoding"), QByteArrayLiteral("identity"));
    if (g_policy == ManagerPolicy::SharedFreshConnection)
        request.setRawHeader(QByteArrayLiteral("Connection"), QByteArrayLiteral("close"));
    if (url.startsWith(QLatin1String("https"), Qt::CaseInsensitive))
        request.setSslConfiguration(gatewayconnections::tlsConfiguration(request.url()));

    qCDebug(lcGateway).noquote() << "POST" << url << gateway::redactedBody(body);
    // A change's body cannot be rewound, so Qt never sends it twice; a read's can.
    QIODevice* upload = nullptr;
    if (changes) {
        upload = new ForwardOnlyBody(body);
    } else {
        auto* buffer = new QBuffer;
        buffer->setData(body);
        buffer->open(QIODevice::ReadOnly);
        upload = buffer;
    }
    if (g_policy == ManagerPolicy::PerRequest)
        m_reply = (new QNetworkAccessManager(this))->post(request, upload);
    else if (changes && g_policy == ManagerPolicy::Shared)
        m_reply = gatewayconnections::managerForChange(request.url(), this)->post(request, upload);
    else
        m_reply = gatewayconnections::postShared(request, upload);
    upload->setParent(m_reply); // Qt reads it until the reply is done
    // Qt writes the headers from its HTTP thread, then asks this thread for the body, and about one
    // request in ten the headers left before the body came: two pieces. Its sockets have no
    // TCP_NODELAY, so on a real link the second piece waits a round trip for the first's
    // acknowledgement. Announced at once, the body is mostly handed over before the headers are
    // written (1 request in 40 split through the benchmark's proxy instead of 4), though not always.
    QMetaObject::invokeMethod(
        upload, [upload] { emit upload->readyRead(); }, Qt::QueuedConnection);
    connect(m_reply, &QNetworkReply::finished, this, &HttpFun::slot_requestFinished);
    const auto refuseOversized = [this](qint64 size) {
        if (size <= kMaxReplyBytes)
            return;
        qCDebug(lcGateway).noquote() << "reply of" << size << "bytes from" << m_url << "refused";
        report(false, QByteArrayLiteral("reply too large"));
    };
    // A declared length is refused with the headers, before any of the body is read.
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this, refuseOversized] {
        if (m_reply)
            refuseOversized(m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong());
    });
    connect(m_reply, &QNetworkReply::downloadProgress, this,
            [refuseOversized](qint64 received, qint64 total) { refuseOversized(qMax(received, total)); });
    connect(m_reply, &QNetworkReply::sslErrors, this, [](const QList<QSslError>& errors) {
        for (const QSslError& error : errors)
            qCDebug(lcGateway).noquote() << "TLS:" << error.errorString();
    });
    m_timer->start(m_timeout);
}

void HttpFun::slot_requestFinished()
{
    if (!m_reply)
        return;
    const QByteArray body = m_reply->readAll();
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // A reply cut off on the way (the connection reset after "200 OK") carries the status of its
    // beginning; what arrived is not the gateway's answer.
    const bool whole = m_reply->error() == QNetworkReply::NoError;
    // Compressed although asked for as it is: not a body this client reads.
    const QByteArray encoding = m_reply->rawHeader(QByteArrayLiteral("Content-Encoding")).trimmed().toLower();
    const bool plain = encoding.isEmpty() || encoding == "identity";
    gatewayconnections::keepSession(m_reply);
    if (status != 200 || !whole || !plain)
        qCDebug(lcGateway).noquote() << "reply" << status << m_reply->error() << m_reply->errorString()
                                     << (plain ? QByteArray() : "encoded " + encoding);
    report(status == 200 && whole && plain, body);
}

void HttpFun::slot_requestTimeout()
{
    qCDebug(lcGateway).noquote() << "no reply within" << m_timeout << "ms from" << m_url;
    report(false, QByteArrayLiteral("timeout"));
}

void HttpFun::report(bool success, const QByteArray& body)
{
    // Once, whatever comes first: a reply finishing in the same turn as the timeout, or finishing
    // while the receiver still shows a box about the timeout, is dropped.
    if (m_reported)
        return;
    m_reported = true;
    m_timer->stop();
    if (m_reply) {
        m_responded = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
        disconnect(m_reply, nullptr, this, nullptr);
        if (m_reply->isRunning())
            m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    emit signal_requestFinished(success, body);
    deleteLater();
}
