#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QIODevice;
class QNetworkReply;
class QNetworkRequest;
class QSslCertificate;
class QTimer;

// The connections HttpFun sends on, kept so that a request waits for TCP and TLS set-up only when
// it must.
//
// Reads share one network manager whose connections stay open between requests. A read that finds
// its kept connection closed by the gateway before any answer came is sent again by Qt on a new
// one, which is harmless for a read.
//
// A request that changes something at the gateway (a charge, a refund) goes on a connection of its
// own, never on one that has sat idle: gateways close idle connections after a few seconds, and a
// request written into a connection the gateway has just closed is lost without any way of telling
// whether it arrived. It takes a connection a ReadyConnection opened for it moments ago, or else a
// new one.
//
// HTTPS sessions are kept per gateway and per set of trusted authorities, so that a new connection
// resumes the last one instead of a full handshake; a session is only ever resumed with the host,
// port and authorities that verified it.
namespace gatewayconnections {

// A connection opened ahead stays usable for a change this long after it became ready; gateways
// keep an idle connection open for five seconds or more.
constexpr int kFreshMs = 3000;

// The manager of every read.
QNetworkAccessManager* sharedManager();

// Posts a read (or, for comparison in tests, any request) on the shared manager.
QNetworkReply* postShared(const QNetworkRequest& request, QIODevice* body);

// Opens the shared connection to `url` ahead of a read that is about to come. A kept connection
// idle for longer than kFreshMs is dropped first (the gateway may be closing it), so that the read
// finds a connection the gateway keeps.
void prepareRead(const QString& url);

// The manager for one change sent to `url`, owned by `owner` from now on: a connection made ready
// for it that is fresh and unused, or a new manager.
QNetworkAccessManager* managerForChange(const QUrl& url, QObject* owner);

// The merchant's authorities file: "gateway-ca.pem" in the working directory until the program
// names it with the folder it settled on (a later change of directory does not move it).
void setAuthoritiesFile(const QString& path);
// The system's authorities and the merchant's, as HTTPS requests trust them. The file is read
// again only when it changes.
QList<QSslCertificate> trustedAuthorities();

// TLS 1.2 or newer, the peer verified against trustedAuthorities(), and the session kept from the
// last connection to this host, port and authorities, if any.
QSslConfiguration tlsConfiguration(const QUrl& url);
// Keeps the session of a finished reply (or handshake) for the next connection to its host.
void keepSession(QNetworkReply* reply);

} // namespace gatewayconnections

// While it lives, a fresh connection to the gateway waits ready for the next change sent there: a
// scan-pay window keeps one while the cashier waits for the customer's code, so that the charge
// costs one round trip instead of three. The connection is opened anew every two seconds (the old
// one closed once the new one is ready), so none it offers has been idle long enough for the
// gateway to close it; after two minutes it stops, and a change then opens its own connection.
class ReadyConnection : public QObject
{
    Q_OBJECT

public:
    explicit ReadyConnection(const QString& url, QObject* parent = nullptr);
    ~ReadyConnection() override;

    static constexpr int kRenewMs = 2000;
    static constexpr int kGiveUpMs = 120000;

private:
    friend QNetworkAccessManager* gatewayconnections::managerForChange(const QUrl&, QObject*);

    struct Ready
    {
        QPointer<QNetworkAccessManager> manager;
        QElapsedTimer since; // from the start of the connection, then from its being ready
        bool ready = false;
        QByteArray authorities; // the digest it is verified under
    };

    void renew();
    QNetworkAccessManager* take(QObject* owner);

    const QUrl m_url;
    QTimer* m_timer = nullptr;
    QElapsedTimer m_alive;
    QList<Ready> m_connections; // newest last; at most two
};
