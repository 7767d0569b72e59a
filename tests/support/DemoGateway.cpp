#include "DemoGateway.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

#if !defined(DEMO_GATEWAY_EXECUTABLE) && !defined(Q_OS_WIN)
#error "DEMO_GATEWAY_EXECUTABLE must name the demo-gateway binary"
#endif

namespace {
int blockingRequest(const QByteArray& verb, const QString& url, const QByteArray& body, QByteArray* reply,
                    const QByteArray& contentType)
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    QNetworkReply* r = manager.sendCustomRequest(request, verb, body);
    // The test's own calls to a gateway serving HTTPS with a certificate of the test's making.
    if (request.url().host() == QLatin1String("127.0.0.1"))
        r->ignoreSslErrors();
    QEventLoop loop;
    QObject::connect(r, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    const int status = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply)
        *reply = r->readAll();
    r->abort();
    delete r;
    return status;
}
} // namespace

DemoGateway::DemoGateway(const QStringList& extraArguments) : m_extraArguments(extraArguments) {}

DemoGateway::~DemoGateway()
{
    stop();
}

QString DemoGateway::executable()
{
#ifdef Q_OS_WIN
    return QString();
#else
    return QStringLiteral(DEMO_GATEWAY_EXECUTABLE);
#endif
}

QString DemoGateway::databasePath() const
{
    return m_dir.filePath(QStringLiteral("gateway.db"));
}

QString DemoGateway::baseUrl() const
{
    const bool tls = m_extraArguments.contains(QStringLiteral("--cert"));
    return QStringLiteral("%1://127.0.0.1:%2").arg(tls ? "https" : "http").arg(m_port);
}

QString DemoGateway::url() const
{
    return baseUrl() + QStringLiteral("/api.php/Gateway/index");
}

#ifdef Q_OS_WIN
// Under Wine the gateway is a Linux program: scripts/wine-run starts one for the test on the Linux
// side and says where it listens. It runs for the whole test; start() only finds it.
bool DemoGateway::start()
{
    bool ok = false;
    m_port = quint16(qEnvironmentVariable("DEMO_GATEWAY_PORT").toUInt(&ok));
    if (!ok || m_port == 0) {
        m_error = QStringLiteral("no DEMO_GATEWAY_PORT: run the test through scripts/wine-run");
        return false;
    }
    if (adminGet(QStringLiteral("controls")).isNull()) {
        m_error = QStringLiteral("no demo gateway answers on port %1").arg(m_port);
        return false;
    }
    return true;
}

void DemoGateway::stop() {}
#else
bool DemoGateway::start()
{
    m_port = 0;
    m_process.setProgram(executable());
    // The tests read back the passwords the client sent from the request log.
    m_process.setArguments(QStringList{"--port", "0", "--db", databasePath(), "--quiet", "--log-passwords"} +
                           m_extraArguments);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(10000)) {
        m_error = m_process.errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (!m_process.canReadLine() && m_process.state() == QProcess::Running && clock.elapsed() < 15000)
        m_process.waitForReadyRead(100);
    bool ok = false;
    m_port = quint16(m_process.readLine().trimmed().toUInt(&ok));
    if (!ok || m_port == 0) {
        m_error = QStringLiteral("the gateway did not say its port (exit %1)").arg(m_process.exitCode());
        stop();
        return false;
    }
    return true;
}

void DemoGateway::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}
#endif

QByteArray DemoGateway::adminPost(const QString& pathAndQuery, const QByteArray& body)
{
    QByteArray reply;
    const int status = blockingRequest("POST", baseUrl() + QStringLiteral("/admin/") + pathAndQuery,
                                       body, &reply, "application/json");
    return status == 200 ? reply : QByteArray();
}

QByteArray DemoGateway::adminGet(const QString& pathAndQuery)
{
    QByteArray reply;
    const int status = blockingRequest("GET", baseUrl() + QStringLiteral("/admin/") + pathAndQuery,
                                       QByteArray(), &reply, "application/json");
    return status == 200 ? reply : QByteArray();
}

int blockingPost(const QString& url, const QByteArray& body, QByteArray* reply, const QByteArray& contentType)
{
    return blockingRequest("POST", url, body, reply, contentType);
}
