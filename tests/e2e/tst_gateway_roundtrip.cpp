// Every free-text value the client can send reaches the gateway byte for byte, whatever the
// cashier typed: separators of the form encoding, escapes, markup and Chinese.

#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"

#include "DemoGateway.h"
#include "GatewayCall.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

using namespace gateway;

namespace {
const QString kAwkward = QStringLiteral("A&b=c+d%e%20f <x>\"'#;?/\\ 中文");

QJsonArray json(const QByteArray& body)
{
    return QJsonDocument::fromJson(body).array();
}
} // namespace

class TestGatewayRoundTrip : public QObject
{
    Q_OBJECT

private:
    DemoGateway m_gateway;
    QString m_token;

    // The fields the gateway decoded from the last request of `action`.
    QJsonObject lastFields(const QString& action)
    {
        const QJsonArray log = json(m_gateway.adminGet("requests?action=" + action));
        return log.isEmpty() ? QJsonObject() : log.last().toObject().value("fields").toObject();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_gateway.start(), qPrintable(m_gateway.error()));
        const GatewayCall login = callGateway(m_gateway.url(), loginBody("demo", "demo123"));
        QVERIFY(login.success);
        QCOMPARE(jsonInt(login.content().value("code")), 1);
        m_token = jsonText(login.content().value("token"));
        QVERIFY(!m_token.isEmpty());
    }

    void everyFieldArrivesAsTyped_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("fields");
        const QString t = "TOKEN";
        const QString a = kAwkward;
        ListPayQuery q{2, a, "2026-12-7 00:00:00", "2026-12-7 23:59:59", a, a};
        auto row = [](const char* action, const QByteArray& body, const QStringList& fields) {
            QTest::newRow(action) << QString(action) << body << fields;
        };
        row("Share.Ace.login", loginBody(a, a), {"uname", "pword"});
        row("Pay.Ace.scanpay", scanPayBody(a, 1, a, a), {"auth_code", "uid", "shopid"});
        row("Account.Print.doprint", doPrintBody(t, a), {"no"});
        row("Account.Pay.docard", doCardBody(t, a, a), {"no", "card"});
        row("Account.Pay.listPay", listPayBody(t, q), {"tradeno", "shopid", "cardno"});
        row("Account.Pay.refund", refundBody(t, 1, a, a, a), {"tradeno", "cardno", "pwd"});
        row("Account.Pay.cards", cardsBody(t, a), {"no"});
        row("Account.Pay.listSum", listSumBody(t, a, a), {"time1", "time2"});
        row("Account.Print.logPrint", logPrintBody(t, a, a), {"time1", "time2"});
        row("Share.Ace.editPassword", editPasswordBody(t, a, a, a), {"uname", "pword", "re_password"});
        row("Share.Ace.editRefundPassword1", editRefundPassword1Body(t, a, a, a, a),
            {"uname", "pword", "re_password", "oldpwd"});
        row("Share.Ace.setRefundPassword", setRefundPasswordBody(t, a, a, a, a, a),
            {"uname", "pword", "re_password", "answer", "question"});
        row("Share.Ace.editRefundPassword", editRefundPasswordBody(t, a, a, a, a, a),
            {"uname", "pword", "re_password", "answer", "question"});
    }
    void everyFieldArrivesAsTyped()
    {
        QFETCH(QString, action);
        QFETCH(QByteArray, body);
        QFETCH(QStringList, fields);
        const GatewayCall call = callGateway(m_gateway.url(), body);
        QVERIFY(call.success);
        const QJsonObject decoded = lastFields(action);
        QVERIFY2(!decoded.isEmpty(), qPrintable(action));
        for (const QString& field : fields)
            QCOMPARE(decoded.value(field).toString(), kAwkward);
        // Nothing leaked out of a value into a field of its own.
        QVERIFY(!decoded.contains("b"));
        QVERIFY(!decoded.contains(" <x>\"'#;?/\\ 中文"));
    }

    void roomNumberIsStoredAndFoundAgain()
    {
        // A real order of the demo merchant, its room number registered with awkward text.
        ListPayQuery q;
        q.page = 1;
        const GatewayCall list = callGateway(m_gateway.url(), listPayBody(m_token, q));
        const QJsonArray orders = list.content().value("listpay").toArray();
        QVERIFY(!orders.isEmpty());
        const QString orderNo = jsonText(orders.first().toObject().value("out_trade_no"));

        const QString room = QStringLiteral("8&0=8+%<房>");
        QVERIFY(callGateway(m_gateway.url(), doCardBody(m_token, orderNo, room)).success);

        bool stored = false;
        for (const QJsonValue& card : json(m_gateway.adminGet("rows?table=cards")))
            stored = stored || card.toObject().value("cardno").toString() == room;
        QVERIFY2(stored, "the room number is in the gateway's database as typed");

        // And the query filter finds the order by it.
        q.cardNo = room;
        const QJsonArray found =
            callGateway(m_gateway.url(), listPayBody(m_token, q)).content().value("listpay").toArray();
        QCOMPARE(found.size(), 1);
        QCOMPARE(jsonText(found.first().toObject().value("out_trade_no")), orderNo);
    }

    void securityQuestionComesBackAsSet()
    {
        // demo2 has no refund password yet.
        const GatewayCall login = callGateway(m_gateway.url(), loginBody("demo2", "demo123"));
        const QString token = jsonText(login.content().value("token"));
        QVERIFY(!token.isEmpty());
        const QString question = QStringLiteral("您的 \"first\" pet & <house>=?+%");
        const QString password = QStringLiteral("Pw&=+%中1");
        const GatewayCall set =
            callGateway(m_gateway.url(), setRefundPasswordBody(token, "demo2", password, password, "答&=", question));
        QCOMPARE(jsonText(set.content().value("respType")), QString("Success"));
        const GatewayCall asked = callGateway(m_gateway.url(), getQuestionBody(token));
        QCOMPARE(jsonText(asked.content().value("refundquestion")), question);

        // The refund password works as typed: a refund with it is not refused for the password.
        ListPayQuery q;
        const QJsonArray orders =
            callGateway(m_gateway.url(), listPayBody(token, q)).content().value("listpay").toArray();
        QVERIFY(!orders.isEmpty());
        const QString tradeNo = jsonText(orders.first().toObject().value("out_trade_no"));
        const GatewayCall wrong = callGateway(m_gateway.url(), refundBody(token, 1, tradeNo, "", "Pw&=+%中2"));
        QCOMPARE(jsonInt(wrong.top().value("code")), 5);
        const GatewayCall right = callGateway(m_gateway.url(), refundBody(token, 1, tradeNo, "", password));
        QVERIFY2(jsonInt(right.top().value("code")) != 5, right.body.constData());
    }
};

QTEST_GUILESS_MAIN(TestGatewayRoundTrip)
#include "tst_gateway_roundtrip.moc"
