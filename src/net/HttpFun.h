#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkReply;
class QTimer;

// One POST to the gateway. Create it without a parent, connect signal_requestFinished, call post()
// and forget it: it reports exactly once — success only for a whole reply with HTTP status 200;
// failure with whatever body arrived (also for a reply cut off on the way), with "reply too large"
// past 4 MiB, or with "timeout" after 30 seconds — and then deletes itself.
//
// The body goes out at most once. A connection that closes after the request went out and before
// the reply began is a failure (QNetworkReply::ContentReSendError) whose outcome is unknown: the
// gateway may have acted on it.
//
// A request that only reads may go on a kept-alive connection shared with other reads, and Qt may
// send it again on a new connection when the kept one turns out closed before any answer; one
// that changes something goes once, on a connection of its own (see GatewayConnections.h).
//
// HTTPS requests verify the gateway's certificate against the system's authorities plus, when
// present, the merchant's own in gateway-ca.pem beside data.ini, and use TLS 1.2 or newer.
// Replies are asked for and read uncompressed; one declaring more than 4 MiB is refused unread.
class HttpFun : public QObject
{
    Q_OBJECT

public:
    explicit HttpFun(QObject* parent = nullptr);
    ~HttpFun() override;

    // What a request does at the gateway: a charge, a refund, a password change or a hand-over
    // changes something and must never arrive twice; a login, a list or the version check only
    // reads.
    enum class Effect {
        Changes,
        ReadsOnly,
    };
    void post(const QString& url, const QByteArray& body, Effect effect = Effect::Changes);

    // How requests reach the network. Shared, the program's way: reads share one manager whose
    // connections are kept alive, changes go on connections of their own. For comparison in
    // benchmarks and tests: one manager per request (every request on a new connection), or every
    // request on the shared manager asking for its connection to be closed after it.
    enum class ManagerPolicy {
        PerRequest,
        Shared,
        SharedFreshConnection,
    };
    static void setManagerPolicy(ManagerPolicy policy);
    static ManagerPolicy managerPolicy();

    // Whether the gateway had begun to answer (a status line arrived) when this reported: it has
    // then done with the request, whatever the reply says. False for a timeout with nothing back,
    // or a connection that closed without a reply. Valid in the slot receiving the report.
    bool responded() const { return m_responded; }

    // Tests only: a shorter timeout than the 30 seconds a cashier waits.
    static void setTimeoutForTesting(int milliseconds);

signals:
    void signal_requestFinished(bool bSuccess, const QByteArray& byteResult);

private slots:
    void slot_requestFinished();
    void slot_requestTimeout();

private:
    void report(bool success, const QByteArray& body);

    QPointer<QNetworkReply> m_reply;
    QTimer* m_timer = nullptr;
    QString m_url;
    int m_timeout = 30000;
    bool m_reported = false;
    bool m_responded = false;
};
