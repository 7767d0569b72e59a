#include "net/GatewayConnections.h"

#include "net/NetLog.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QTimer>

namespace gatewayconnections {
namespace {

bool isHttps(const QUrl& url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

quint16 portOf(const QUrl& url)
{
    return quint16(url.port(isHttps(url) ? 443 : 80));
}

// One gateway: scheme, host and port, as a connection is made to it.
QString origin(const QUrl& url)
{
    return QStringLiteral("%1://%2:%3").arg(url.scheme().toLower(), url.host().toLower()).arg(portOf(url));
}

// Opens a connection to `url` on `manager` without sending anything; its end shows as the
// manager's finished() of an internal reply.
void connectAhead(QNetworkAccessManager* manager, const QUrl& url)
{
    // Qt keeps the request it makes for this once it has finished.
    QObject::connect(manager, &QNetworkAccessManager::finished, manager, [](QNetworkReply* reply) {
        if (reply->url().scheme().startsWith(QLatin1String("preconnect")))
            reply->deleteLater();
    });
    if (isHttps(url))
        manager->connectToHostEncrypted(url.host(), portOf(url), tlsConfiguration(url));
    else
        manager->connectToHost(url.host(), portOf(url));
}

struct Authorities
{
    QString file = QStringLiteral("gateway-ca.pem");
    // What the merchant's file held when last read, and how it looked then.
    bool read = false;
    qint64 size = -1;
    QDateTime modified;
    QList<QSslCertificate> merchant;
    QByteArray digest; // of the merchant's certificates: part of every kept session's key
};

Authorities& authorities()
{
    static Authorities state;
    const QFileInfo info(state.file);
    const bool present = info.isFile();
    const qint64 size = present ? info.size() : -1;
    const QDateTime modified = present ? info.lastModified() : QDateTime();
    if (!state.read || size != state.size || modified != state.modified) {
        state.read = true;
        state.size = size;
        state.modified = modified;
        state.merchant = present ? QSslCertificate::fromPath(state.file) : QList<QSslCertificate>();
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (const QSslCertificate& certificate : qAsConst(state.merchant))
            hash.addData(certificate.toDer());
        state.digest = hash.result().toHex();
    }
    return state;
}

QHash<QString, QByteArray>& sessions()
{
    static QHash<QString, QByteArray> kept;
    return kept;
}

QString sessionKey(const QUrl& url)
{
    return origin(url) + QLatin1Char(' ') + QString::fromLatin1(authorities().digest);
}

struct Shared
{
    QNetworkAccessManager* manager = nullptr;
    QByteArray authorities; // the digest its connections were verified under
    int inFlight = 0;
    QElapsedTimer lastActive; // since a reply (or a connection made ahead) last finished
    bool connectingAhead = false;
};

Shared& shared()
{
    static Shared state;
    return state;
}

// The next read gets a new manager, and with it new connections. Never while a request is on its
// way: deleting the manager would abort it.
void dropSharedWhenIdle()
{
    Shared& state = shared();
    if (!state.manager || state.inFlight > 0)
        return;
    state.manager->deleteLater();
    state.manager = nullptr;
    state.lastActive.invalidate();
    state.connectingAhead = false;
}

QList<ReadyConnection*>& readyConnections()
{
    static QList<ReadyConnection*> live;
    return live;
}

} // namespace

QNetworkAccessManager* sharedManager()
{
    Shared& state = shared();
    // Connections verified under other authorities are not used again: a changed gateway-ca.pem
    // decides from the next request on.
    if (state.manager && state.authorities != authorities().digest)
        dropSharedWhenIdle();
    if (!state.manager) {
        // Lives until exit (or until replaced while idle), on the GUI thread, like every request.
        state.manager = new QNetworkAccessManager;
        state.authorities = authorities().digest;
        // Each reply's session is kept by the HttpFun that made it; here only the manager's use.
        QObject::connect(state.manager, &QNetworkAccessManager::finished, [] {
            shared().lastActive.start();
            shared().connectingAhead = false;
        });
    }
    return state.manager;
}

namespace {
// Counted while on its way: the shared manager is not replaced under a request.
QNetworkReply* counted(QNetworkReply* reply)
{
    ++shared().inFlight;
    QObject::connect(reply, &QObject::destroyed, [] { --shared().inFlight; });
    return reply;
}
} // namespace

QNetworkReply* postShared(const QNetworkRequest& request, QIODevice* body)
{
    return counted(sharedManager()->post(request, body));
}

void prepareRead(const QString& url)
{
    const QUrl target(url, QUrl::TolerantMode);
    if (!target.isValid() || target.host().isEmpty())
        return;
    Shared& state = shared();
    // A connection that has been idle a while may be closing at the gateway's end just now; a new
    // manager makes sure the read gets one the gateway keeps.
    if (state.lastActive.isValid() && state.lastActive.elapsed() > kFreshMs)
        dropSharedWhenIdle();
    QNetworkAccessManager* manager = sharedManager();
    // Only a manager with no connection yet is asked for one: on a connected manager it is not
    // needed, and Qt would keep each such request in memory.
    if (state.lastActive.isValid() || state.inFlight > 0 || state.connectingAhead)
        return;
    state.connectingAhead = true;
    connectAhead(manager, target);
}

QNetworkAccessManager* managerForChange(const QUrl& url, QObject* owner)
{
    const QString wanted = origin(url);
    for (ReadyConnection* ready : qAsConst(readyConnections())) {
        if (origin(ready->m_url) != wanted)
            continue;
        if (QNetworkAccessManager* manager = ready->take(owner))
            return manager;
    }
    return new QNetworkAccessManager(owner);
}

void setAuthoritiesFile(const QString& path)
{
    Authorities& state = authorities();
    state.file = path;
    state.read = false;
}

QList<QSslCertificate> trustedAuthorities()
{
    // Setting any list turns off Qt's loading of the system's authorities on demand: the merchant's
    // file adds to the full system list, read once (a few hundred certificates).
    static const QList<QSslCertificate> system = QSslConfiguration::systemCaCertificates();
    const Authorities& state = authorities();
    return state.merchant.isEmpty() ? system : system + state.merchant;
}

QSslConfiguration tlsConfiguration(const QUrl& url)
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    tls.setCaCertificates(trustedAuthorities());
    // Sessions are kept (Qt drops them by default), and resumed only with the host, port and
    // authorities that verified them: a session from before the merchant's file changed is not
    // offered, so the new file decides again.
    tls.setSslOption(QSsl::SslOptionDisableSessionPersistence, false);
    const QByteArray session = sessions().value(sessionKey(url));
    if (!session.isEmpty())
        tls.setSessionTicket(session);
    return tls;
}

void keepSession(QNetworkReply* reply)
{
    if (!reply || reply->error() != QNetworkReply::NoError || !isHttps(reply->url()))
        return;
    const QSslConfiguration used = reply->sslConfiguration();
    if (used.sessionTicket().isEmpty() || used.peerCertificate().isNull())
        return;
    sessions().insert(sessionKey(reply->url()), used.sessionTicket());
}

} // namespace gatewayconnections

ReadyConnection::ReadyConnection(const QString& url, QObject* parent)
    : QObject(parent), m_url(url, QUrl::TolerantMode), m_timer(new QTimer(this))
{
    gatewayconnections::readyConnections().append(this);
    m_alive.start();
    connect(m_timer, &QTimer::timeout, this, &ReadyConnection::renew);
    if (m_url.isValid() && !m_url.host().isEmpty()) {
        renew();
        m_timer->start(kRenewMs);
    }
}

ReadyConnection::~ReadyConnection()
{
    gatewayconnections::readyConnections().removeAll(this);
}

void ReadyConnection::renew()
{
    if (m_alive.elapsed() > kGiveUpMs) {
        m_timer->stop();
        for (const Ready& ready : qAsConst(m_connections))
            delete ready.manager;
        m_connections.clear();
        return;
    }
    auto* manager = new QNetworkAccessManager(this);
    connect(manager, &QNetworkAccessManager::finished, this, [this, manager](QNetworkReply* reply) {
        for (int i = 0; i < m_connections.size(); ++i) {
            if (m_connections.at(i).manager != manager)
                continue;
            if (reply->error() != QNetworkReply::NoError) {
                qCDebug(lcGateway).noquote()
                    << "connection ahead to" << m_url.host() << "failed:" << reply->errorString();
                m_connections.removeAt(i);
                manager->deleteLater();
                return;
            }
            gatewayconnections::keepSession(reply);
            m_connections[i].ready = true;
            m_connections[i].since.start();
            // The older ones are no longer needed: a change takes the newest.
            for (int k = 0; k < i; ++k)
                if (m_connections.at(k).manager)
                    m_connections.at(k).manager->deleteLater();
            m_connections.erase(m_connections.begin(), m_connections.begin() + i);
            return;
        }
    });
    Ready ready;
    ready.manager = manager;
    ready.authorities = gatewayconnections::authorities().digest;
    ready.since.start();
    m_connections.append(ready);
    // A renewal that never got ready (the gateway did not answer) gives way to the next.
    while (m_connections.size() > 2)
        delete m_connections.takeFirst().manager;
    gatewayconnections::connectAhead(manager, m_url);
}

QNetworkAccessManager* ReadyConnection::take(QObject* owner)
{
    // The newest ready connection that is still fresh; else one still being opened (the change then
    // waits for it, and is the first thing sent on it).
    for (const bool ready : {true, false}) {
        for (int i = m_connections.size() - 1; i >= 0; --i) {
            const Ready& candidate = m_connections.at(i);
            if (!candidate.manager || candidate.ready != ready ||
                candidate.since.elapsed() >= gatewayconnections::kFreshMs ||
                candidate.authorities != gatewayconnections::authorities().digest)
                continue;
            QNetworkAccessManager* manager = candidate.manager;
            m_connections.removeAt(i);
            disconnect(manager, nullptr, this, nullptr);
            manager->setParent(owner);
            return manager;
        }
    }
    return nullptr;
}
