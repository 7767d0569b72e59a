#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVector>

// One running demo-gateway process and an HTTP client for it. The gateway binary comes from the
// DEMO_GATEWAY environment variable.

struct Reply
{
    int status = 0; // 0: no HTTP reply at all
    QByteArray body;
    QByteArray contentType;

    QJsonObject json() const;    // the top-level object; empty unless the body is a JSON object
    QJsonObject content() const; // its "content" member
};

using Fields = QVector<QPair<QByteArray, QByteArray>>;

class GatewayProcess
{
public:
    explicit GatewayProcess(const QString& dbPath, const QStringList& extraArgs = {});
    ~GatewayProcess();

    // Starts the process and reads the port from its first line of output. Fails the current test
    // (returns false) when it does not come up.
    bool start();
    // SIGTERM, then waits; true when the process ended normally with exit code 0 within `ms`.
    bool stop(int ms = 5000);
    int port() const { return m_port; }
    QString log() const;

    // Posts an action the way the cashier client does: every value percent-encoded, the token
    // (when given) right after the action name.
    Reply action(const QByteArray& name, const Fields& fields = {}, const QByteArray& token = {}) const;
    Reply postBody(const QByteArray& body) const;
    Reply adminGet(const QByteArray& pathAndQuery) const;
    Reply adminPost(const QByteArray& pathAndQuery, const QByteArray& body = {},
                    const QByteArray& type = "text/plain") const;
    QJsonArray rows(const QByteArray& table) const;

    // Logs in and returns the token ("" on failure).
    QByteArray login(const QByteArray& uname, const QByteArray& pword) const;

    static QByteArray encodeBody(const QByteArray& name, const Fields& fields, const QByteArray& token);

private:
    QString m_dbPath;
    QStringList m_extraArgs;
    QString m_logPath;
    QProcess m_process;
    int m_port = 0;
    bool m_https = false;
};

// Leading digits of payment codes, by channel.
namespace code {
inline const QByteArray wechat = "13";
inline const QByteArray alipay = "28";
inline const QByteArray jd = "18";
} // namespace code

// A logged-in merchant that drives the payment actions the way the cashier screens do.
class Cashier
{
public:
    Cashier(const GatewayProcess& gateway, const QByteArray& uname, const QByteArray& pword);

    QByteArray token; // empty when the login failed
    QByteArray id;

    // A payment code of the channel that no earlier payment of this test used (never ending in 0000,
    // which the gateway declines as its demo of a refused payment).
    static QByteArray nextCode(const QByteArray& prefix);

    // The scan-pay reply's content.
    QJsonObject pay(const QByteArray& prefix, const QByteArray& money, const QByteArray& shopid = "1001") const;
    // The order as the query lists it (empty when it is not found exactly once).
    QJsonObject listed(const QString& outTradeNo) const;
    // The refund reply, read at its top level.
    QJsonObject refund(const QString& outTradeNo, const QByteArray& fen, const QByteArray& pwd,
                       const QByteArray& cards = "") const;

private:
    const GatewayProcess& m_gateway;
};

// The rows of `rows` whose `key` equals `value`.
QJsonArray where(const QJsonArray& rows, const QString& key, const QJsonValue& value);
