// The one test that waits the real 30 seconds a cashier waits for the gateway.

#include "net/GatewayRequests.h"
#include "net/HttpFun.h"

#include "DemoGateway.h"

#include <QPointer>
#include <QtTest>

class TestHttpFunTimeout : public QObject
{
    Q_OBJECT

private slots:
    void gatewayAnsweringAfter31SecondsIsATimeout()
    {
        DemoGateway gateway;
        QVERIFY2(gateway.start(), qPrintable(gateway.error()));
        QVERIFY(!gateway.adminPost("delay?action=Share.App.update&seconds=31").isNull());

        QList<QByteArray> reports;
        QElapsedTimer clock;
        auto* request = new HttpFun;
        QPointer<HttpFun> alive(request);
        connect(request, &HttpFun::signal_requestFinished, this, [&](bool ok, const QByteArray& body) {
            reports.append((ok ? "ok:" : "failed:") + body);
            if (reports.size() == 1)
                QVERIFY(clock.elapsed() >= 29900);
        });
        clock.start();
        request->post(gateway.url(), gateway::updateBody());
        QTRY_COMPARE_WITH_TIMEOUT(reports.size(), 1, 40000);
        QVERIFY2(clock.elapsed() < 31000, "reported before the late reply");
        QCOMPARE(reports.first(), QByteArray("failed:timeout"));
        QTRY_VERIFY(alive.isNull());
        // The reply the gateway sends at 31 s goes nowhere.
        QTest::qWait(2000);
        QCOMPARE(reports.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestHttpFunTimeout)
#include "tst_httpfun_timeout.moc"
