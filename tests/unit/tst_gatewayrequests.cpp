#include "config/DataConfig.h"
#include "net/GatewayRequests.h"

#include "TestSupport.h"

#include <QtTest>

using namespace gateway;

class TestGatewayRequests : public QObject
{
    Q_OBJECT

private slots:
    void everyActionsBodyIsExact_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("expected");
        const QString tok = QStringLiteral("T0k");
        const QByteArray v = "version=3.0&action=";

        QTest::newRow("login") << loginBody("demo", "demo123") << v + "Share.Ace.login&uname=demo&pword=demo123";
        QTest::newRow("update") << updateBody() << v + "Share.App.update&system=pc";
        QTest::newRow("print orders") << printOrdersBody(tok) << v + "Account.Print.orders&token=T0k&";
        QTest::newRow("list shops") << listShopBody(tok) << v + "Account.Shop.listShop&token=T0k";
        QTest::newRow("scan pay") << scanPayBody("134567890123456789", 1234, "1001", "8")
                                  << v + "Pay.Ace.scanpay&auth_code=134567890123456789&money=1234&uid=1001&shopid=8";
        QTest::newRow("do print") << doPrintBody(tok, "P2026120700001")
                                  << v + "Account.Print.doprint&token=T0k&no=P2026120700001&";
        QTest::newRow("do card") << doCardBody(tok, "P1", "808") << v + "Account.Pay.docard&token=T0k&no=P1&card=808&";

        ListPayQuery q;
        q.page = 3;
        q.tradeNo = "P9";
        q.startDate = "2026-12-7 00:00:00";
        q.endDate = "2026-12-7 23:59:59";
        q.shopId = "8";
        q.cardNo = "";
        QTest::newRow("list pay") << listPayBody(tok, q)
                                  << v + "Account.Pay.listPay&token=T0k&page_num=20&p=3&ord=desc&tradeno=P9"
                                         "&start_date=2026-12-7%2000%3A00%3A00&end_date=2026-12-7%2023%3A59%3A59"
                                         "&shopid=8&cardno=";
        QTest::newRow("refund") << refundBody(tok, 550, "P1", "808,809", "123456")
                                << v + "Account.Pay.refund&token=T0k&refundmoney=550&tradeno=P1&cardno=808%2C809"
                                       "&pwd=123456&";
        QTest::newRow("cards") << cardsBody(tok, "P1") << v + "Account.Pay.cards&token=T0k&no=P1&";
        QTest::newRow("print time") << printTimeBody(tok) << v + "Account.Print.prinTtime&token=T0k&";
        QTest::newRow("list sum") << listSumBody(tok, "1765065600", "1765152000")
                                  << v + "Account.Pay.listSum&token=T0k&time1=1765065600&time2=1765152000&";
        QTest::newRow("log print") << logPrintBody(tok, "1765065600", "1765152000")
                                   << v + "Account.Print.logPrint&token=T0k&time1=1765065600&time2=1765152000&";
        QTest::newRow("edit password") << editPasswordBody(tok, "demo", "n1", "n1")
                                       << v + "Share.Ace.editPassword&token=T0k&uname=demo&pword=n1&re_password=n1&";
        QTest::newRow("edit refund password 1")
            << editRefundPassword1Body(tok, "demo", "n1", "n1", "o1")
            << v + "Share.Ace.editRefundPassword1&token=T0k&uname=demo&pword=n1&re_password=n1&oldpwd=o1&";
        QTest::newRow("get question") << getQuestionBody(tok) << v + "Share.Ace.getQuestion&token=T0k&";
        QTest::newRow("set refund password")
            << setRefundPasswordBody(tok, "demo", "n1", "n1", "a1", "q1")
            << v + "Share.Ace.setRefundPassword&token=T0k&uname=demo&pword=n1&re_password=n1&answer=a1&question=q1&";
        QTest::newRow("edit refund password")
            << editRefundPasswordBody(tok, "demo", "n1", "n1", "a1", "q1")
            << v + "Share.Ace.editRefundPassword&token=T0k&uname=demo&pword=n1&re_password=n1&answer=a1&question=q1&";
        QTest::newRow("before login the token is empty") << listShopBody(QString())
                                                         << v + "Account.Shop.listShop&token=";
    }
    void everyActionsBodyIsExact()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, expected);
        QCOMPARE(body, expected);
    }

    void valuesCannotBreakTheForm()
    {
        // Each separator or escape character a cashier can type, and Chinese, in a free-text field.
        const QString room = QStringLiteral("A&b=c+d%e f#中");
        const QByteArray body = doCardBody("t", "P1", room);
        QCOMPARE(body, QByteArray("version=3.0&action=Account.Pay.docard&token=t&no=P1"
                                  "&card=A%26b%3Dc%2Bd%25e%20f%23%E4%B8%AD&"));
        // What a form decoder makes of it is the value as typed.
        const QList<QByteArray> pairs = body.split('&');
        QCOMPARE(pairs.size(), 6);
        QCOMPARE(QString::fromUtf8(QByteArray::fromPercentEncoding(pairs.at(4).mid(5))), room);
    }

    void secretsNeverReachTheLog()
    {
        const QByteArray secrets[] = {
            loginBody("demo", "Pw1"),
            refundBody("Tok1", 1, "P1", "", "Pw2"),
            editPasswordBody("Tok2", "demo", "Pw3", "Pw4"),
            editRefundPassword1Body("Tok3", "demo", "Pw5", "Pw6", "Pw7"),
            setRefundPasswordBody("Tok4", "demo", "Pw8", "Pw9", "Ans", "Where"),
            scanPayBody("134567890123456789", 123, "10001", "1001"),
            listShopBody("Tok5"),
        };
        for (const QByteArray& body : secrets) {
            const QByteArray logged = redactedBody(body);
            QVERIFY2(!logged.contains("Pw") && !logged.contains("Ans") && !logged.contains("Tok") &&
                         !logged.contains("1345678"),
                     logged.constData());
            QVERIFY2(logged.contains("uname=demo") || logged.contains("tradeno=P1") || logged.contains("money=123") ||
                         logged.contains("listShop"),
                     logged.constData());
        }
        QCOMPARE(redactedBody(setRefundPasswordBody("t", "u", "p", "p", "a", "Where")),
                 QByteArray("version=3.0&action=Share.Ace.setRefundPassword&token=***&uname=u&pword=***"
                            "&re_password=***&answer=***&question=Where&"));
    }

    void gatewayUrlComesFromDataIniWhenSet()
    {
        ScopedWorkingDir dir;
        QVERIFY(gatewayUrl().endsWith("/api.php/Gateway/index"));
        QVERIFY(writeFileBytes("data.ini", "[data_config]\ngateway_url=http://127.0.0.1:8080/api.php/Gateway/index\n"));
        QCOMPARE(gatewayUrl(), QString("http://127.0.0.1:8080/api.php/Gateway/index"));
    }
};

QTEST_GUILESS_MAIN(TestGatewayRequests)
#include "tst_gatewayrequests.moc"
