#include "GatewayProcess.h"

#include <httplib.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QUrl>

#include <signal.h>

namespace {

httplib::Client client(int port, bool https)
{
    httplib::Client cli((https ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port));
    cli.enable_server_certificate_verification(false);
    cli.set_connection_timeout(5);
    cli.set_read_timeout(60);
    return cli;
}

Reply toReply(const httplib::Result& result)
{
    Reply reply;
    if (!result)
        return reply;
    reply.status = result->status;
    reply.body = QByteArray::fromStdString(result->body);
    reply.contentType = QByteArray::fromStdString(result->get_header_value("Content-Type"));
    return reply;
}

} // namespace

QJsonObject Reply::json() const
{
    return QJsonDocument::fromJson(body).object();
}

QJsonObject Reply::content() const
{
    return json().value("content").toObject();
}

GatewayProcess::GatewayProcess(const QString& dbPath, const QStringList& extraArgs)
    : m_dbPath(dbPath), m_extraArgs(extraArgs), m_logPath(dbPath + ".log"), m_https(extraArgs.contains("--cert"))
{}

GatewayProcess::~GatewayProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool GatewayProcess::start()
{
    m_port = 0;
    m_process.setProgram(qEnvironmentVariable("DEMO_GATEWAY"));
    m_process.setArguments(QStringList{"--port", "0", "--db", m_dbPath, "--quiet"} + m_extraArgs);
    // stderr goes to a file: an unread pipe could fill up and stall the gateway.
    m_process.setStandardErrorFile(m_logPath, QIODevice::Append);
    m_process.start(QIODevice::ReadOnly);
    if (!m_process.waitForStarted(5000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!m_process.canReadLine() && clock.elapsed() < 10000 && m_process.state() == QProcess::Running)
        m_process.waitForReadyRead(100);
    bool ok = false;
    m_port = m_process.readLine().trimmed().toInt(&ok);
    return ok && m_port > 0;
}

bool GatewayProcess::stop(int ms)
{
    if (m_process.state() == QProcess::NotRunning)
        return false;
    ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
    if (!m_process.waitForFinished(ms))
        return false;
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

QString GatewayProcess::log() const
{
    QFile file(m_logPath);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QByteArray GatewayProcess::encodeBody(const QByteArray& name, const Fields& fields, const QByteArray& token)
{
    QByteArray body = "version=3.0&action=" + name + "&";
    if (!token.isNull())
        body += "token=" + QUrl::toPercentEncoding(QString::fromUtf8(token)) + "&";
    for (const auto& field : fields)
        body += field.first + "=" + QUrl::toPercentEncoding(QString::fromUtf8(field.second)) + "&";
    return body;
}

Reply GatewayProcess::action(const QByteArray& name, const Fields& fields, const QByteArray& token) const
{
    return postBody(encodeBody(name, fields, token));
}

Reply GatewayProcess::postBody(const QByteArray& body) const
{
    auto cli = client(m_port, m_https);
    return toReply(cli.Post("/api.php/Gateway/index", body.toStdString(), "application/x-www-form-urlencoded"));
}

Reply GatewayProcess::adminGet(const QByteArray& pathAndQuery) const
{
    auto cli = client(m_port, m_https);
    return toReply(cli.Get(pathAndQuery.toStdString().c_str()));
}

Reply GatewayProcess::adminPost(const QByteArray& pathAndQuery, const QByteArray& body, const QByteArray& type) const
{
    auto cli = client(m_port, m_https);
    return toReply(cli.Post(pathAndQuery.toStdString().c_str(), body.toStdString(), type.toStdString().c_str()));
}

QJsonArray GatewayProcess::rows(const QByteArray& table) const
{
    return QJsonDocument::fromJson(adminGet("/admin/rows?table=" + table).body).array();
}

QByteArray GatewayProcess::login(const QByteArray& uname, const QByteArray& pword) const
{
    return action("Share.Ace.login", {{"uname", uname}, {"pword", pword}}).content().value("token").toString().toUtf8();
}

QJsonArray where(const QJsonArray& rows, const QString& key, const QJsonValue& value)
{
    QJsonArray matching;
    for (const QJsonValue& row : rows)
        if (row.toObject().value(key) == value)
            matching.append(row);
    return matching;
}

Cashier::Cashier(const GatewayProcess& gateway, const QByteArray& uname, const QByteArray& pword) : m_gateway(gateway)
{
    const QJsonObject user = gateway.action("Share.Ace.login", {{"uname", uname}, {"pword", pword}}).content();
    token = user.value("token").toString().toUtf8();
    id = user.value("id").toString().toUtf8();
}

QByteArray Cashier::nextCode(const QByteArray& prefix)
{
    static int serial = 0;
    return prefix + QByteArray::number(++serial).rightJustified(15, '0') + "7";
}

QJsonObject Cashier::pay(const QByteArray& prefix, const QByteArray& money, const QByteArray& shopid) const
{
    return m_gateway
        .action("Pay.Ace.scanpay", {{"auth_code", nextCode(prefix)}, {"money", money}, {"uid", id}, {"shopid", shopid}})
        .content();
}

QJsonObject Cashier::listed(const QString& outTradeNo) const
{
    const QJsonArray list = m_gateway
                                .action("Account.Pay.listPay",
                                        {{"page_num", "20"},
                                         {"p", "1"},
                                         {"ord", "desc"},
                                         {"tradeno", outTradeNo.toUtf8()},
                                         {"start_date", ""},
                                         {"end_date", ""},
                                         {"shopid", ""},
                                         {"cardno", ""}},
                                        token)
                                .content()
                                .value("listpay")
                                .toArray();
    return list.size() == 1 ? list.first().toObject() : QJsonObject();
}

QJsonObject Cashier::refund(const QString& outTradeNo, const QByteArray& fen, const QByteArray& pwd,
                            const QByteArray& cards) const
{
    return m_gateway
        .action("Account.Pay.refund",
                {{"refundmoney", fen}, {"tradeno", outTradeNo.toUtf8()}, {"cardno", cards}, {"pwd", pwd}}, token)
        .json();
}
