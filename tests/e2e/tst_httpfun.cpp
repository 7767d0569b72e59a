// HttpFun against the demo gateway over real HTTP and HTTPS.

#include "net/GatewayRequests.h"
#include "net/HttpFun.h"

#include "DemoGateway.h"
#include "TestSupport.h"

#include <QPointer>
#include <QProcess>
#include <QTcpServer>
#include <QtTest>

namespace {
// Collects every report of one request.
struct Receiver
{
    QList<QPair<bool, QByteArray>> reports;

    void attach(HttpFun* request)
    {
        QObject::connect(request, &HttpFun::signal_requestFinished, [this](bool ok, const QByteArray& body) {
            reports.append({ok, body});
        });
    }
};

// Posts one body and waits for the request to report and delete itself.
void postAndWait(Receiver& receiver, const QString& url, const QByteArray& body, int settleMs = 0)
{
    auto* request = new HttpFun;
    QPointer<HttpFun> alive(request);
    receiver.attach(request);
    request->post(url, body);
    QTRY_VERIFY_WITH_TIMEOUT(!receiver.reports.isEmpty(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), 5000);
    if (settleMs > 0)
        QTest::qWait(settleMs);
}

// A free port nobody listens on.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
} // namespace

class TestHttpFun : public QObject
{
    Q_OBJECT

private:
    DemoGateway m_gateway;

private slots:
    void initTestCase() { QVERIFY2(m_gateway.start(), qPrintable(m_gateway.error())); }

    void init()
    {
        QVERIFY(!m_gateway.adminPost("reset").isNull());
        HttpFun::setTimeoutForTesting(0);
    }
    void cleanup() { HttpFun::setManagerPolicy(HttpFun::ManagerPolicy::PerRequest); }

    void statusDecidesSuccess_data()
    {
        QTest::addColumn<int>("policy");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("success");
        for (auto policy : {HttpFun::ManagerPolicy::PerRequest, HttpFun::ManagerPolicy::Shared}) {
            const char* name = policy == HttpFun::ManagerPolicy::Shared ? "shared" : "per request";
            for (int status : {200, 201, 204, 302, 404, 500, 503})
                QTest::addRow("%s, %d", name, status) << int(policy) << status << (status == 200);
        }
    }
    void statusDecidesSuccess()
    {
        QFETCH(int, policy);
        QFETCH(int, status);
        QFETCH(bool, success);
        HttpFun::setManagerPolicy(HttpFun::ManagerPolicy(policy));
        const QByteArray canned =
            status == 204 ? QByteArray() : QByteArray("<html>canned ") + QByteArray::number(status);
        QVERIFY(!m_gateway
                     .adminPost(QString("respond?action=Share.App.update&status=%1&type=text/html").arg(status), canned)
                     .isNull());
        Receiver r;
        postAndWait(r, m_gateway.url(), gateway::updateBody());
        QCOMPARE(r.reports.size(), 1);
        QCOMPARE(r.reports.at(0).first, success);
        QCOMPARE(r.reports.at(0).second, canned);
    }

    void realActionReplies()
    {
        Receiver r;
        postAndWait(r, m_gateway.url(), gateway::loginBody("demo", "demo123"));
        QCOMPARE(r.reports.size(), 1);
        QVERIFY(r.reports.at(0).first);
        QVERIFY2(r.reports.at(0).second.contains("\"token\""), r.reports.at(0).second.constData());
    }

    void refusedConnectionFailsOnce_data()
    {
        QTest::addColumn<int>("policy");
        QTest::newRow("shared") << int(HttpFun::ManagerPolicy::Shared);
        QTest::newRow("per request") << int(HttpFun::ManagerPolicy::PerRequest);
    }
    void refusedConnectionFailsOnce()
    {
        QFETCH(int, policy);
        HttpFun::setManagerPolicy(HttpFun::ManagerPolicy(policy));
        Receiver r;
        postAndWait(r, QString("http://127.0.0.1:%1/api.php/Gateway/index").arg(closedPort()), gateway::updateBody(),
                    300);
        QCOMPARE(r.reports.size(), 1);
        QCOMPARE(r.reports.at(0).first, false);
    }

    void stallReportsTimeoutOnceAndDropsTheLateReply()
    {
        HttpFun::setTimeoutForTesting(300);
        QVERIFY(!m_gateway.adminPost("delay?action=Share.App.update&ms=1200").isNull());
        QElapsedTimer clock;
        clock.start();
        // Wait past the late reply: it must not produce a second report.
        Receiver r;
        postAndWait(r, m_gateway.url(), gateway::updateBody(), 1500);
        QCOMPARE(r.reports.size(), 1);
        QCOMPARE(r.reports.at(0), qMakePair(false, QByteArray("timeout")));
        QVERIFY(clock.elapsed() >= 300);
    }

    void replyArrivingWhileTheTimeoutBoxIsOpenIsDropped()
    {
        // The receiver shows a box (a nested event loop) about the timeout; the real reply finishes
        // meanwhile. Still one report.
        HttpFun::setTimeoutForTesting(200);
        QVERIFY(!m_gateway.adminPost("delay?action=Share.App.update&ms=400").isNull());
        int reports = 0;
        auto* request = new HttpFun;
        QPointer<HttpFun> alive(request);
        connect(request, &HttpFun::signal_requestFinished, this, [&](bool, const QByteArray&) {
            ++reports;
            QEventLoop box;
            QTimer::singleShot(800, &box, &QEventLoop::quit);
            box.exec();
        });
        request->post(m_gateway.url(), gateway::updateBody());
        QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), 5000);
        QTest::qWait(300);
        QCOMPARE(reports, 1);
    }

    void deletedBeforeTheReplyStaysSilent()
    {
        QVERIFY(!m_gateway.adminPost("delay?action=Share.App.update&ms=300").isNull());
        int reports = 0;
        auto* request = new HttpFun;
        connect(request, &HttpFun::signal_requestFinished, this, [&] { ++reports; });
        request->post(m_gateway.url(), gateway::updateBody());
        delete request;
        QTest::qWait(600);
        QCOMPARE(reports, 0);
    }

    void manyRequestsInFlightEachReportOnce()
    {
        QVERIFY(!m_gateway.adminPost("delay?action=Share.App.update&ms=200&count=3").isNull());
        QVector<int> counts(12, 0);
        for (int i = 0; i < counts.size(); ++i) {
            auto* request = new HttpFun;
            connect(request, &HttpFun::signal_requestFinished, this,
                    [&counts, i](bool ok, const QByteArray&) { counts[i] += ok ? 1 : 100; });
            request->post(m_gateway.url(), gateway::updateBody());
        }
        QTRY_VERIFY_WITH_TIMEOUT(!counts.contains(0), 10000);
        QTest::qWait(300);
        QCOMPARE(counts, QVector<int>(12, 1));
    }
};

// HTTPS: the gateway's certificate must be trusted, and TLS older than 1.2 is not spoken.
class TestHttpFunTls : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_certs;
    std::unique_ptr<DemoGateway> m_gateway;

private slots:
    void initTestCase()
    {
        const QStringList args{"req",
                               "-x509",
                               "-newkey",
                               "rsa:2048",
                               "-nodes",
                               "-days",
                               "2",
                               "-subj",
                               "/CN=127.0.0.1",
                               "-addext",
                               "subjectAltName=IP:127.0.0.1",
                               "-keyout",
                               m_certs.filePath("key.pem"),
                               "-out",
                               m_certs.filePath("cert.pem")};
        QProcess openssl;
        openssl.start("openssl", args);
        QVERIFY(openssl.waitForFinished(30000));
        QCOMPARE(openssl.exitCode(), 0);
        m_gateway = std::make_unique<DemoGateway>(
            QStringList{"--cert", m_certs.filePath("cert.pem"), "--key", m_certs.filePath("key.pem")});
        QVERIFY2(m_gateway->start(), qPrintable(m_gateway->error()));
        QVERIFY(m_gateway->url().startsWith("https://"));
    }

    void untrustedCertificateIsRefused_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::newRow("https") << "https";
        QTest::newRow("HTTPS in capitals") << "HTTPS";
    }
    void untrustedCertificateIsRefused()
    {
        QFETCH(QString, scheme);
        ScopedWorkingDir dir; // no gateway-ca.pem here
        const QString url = scheme + m_gateway->url().mid(5);
        Receiver r;
        postAndWait(r, url, gateway::updateBody());
        QCOMPARE(r.reports.size(), 1);
        QCOMPARE(r.reports.at(0).first, false);
    }

    void certificateTrustedThroughTheMerchantsCaFile()
    {
        ScopedWorkingDir dir;
        QVERIFY(QFile::copy(m_certs.filePath("cert.pem"), dir.filePath("gateway-ca.pem")));
        Receiver r;
        postAndWait(r, m_gateway->url(), gateway::updateBody());
        QCOMPARE(r.reports.size(), 1);
        QVERIFY(r.reports.at(0).first);
        QVERIFY(r.reports.at(0).second.contains("version_code"));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int status = 0;
    {
        TestHttpFun plain;
        status |= QTest::qExec(&plain, argc, argv);
    }
    {
        TestHttpFunTls tls;
        status |= QTest::qExec(&tls, argc, argv);
    }
    return status;
}

#include "tst_httpfun.moc"
