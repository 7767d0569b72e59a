#include "net/CardRegistration.h"
#include "net/GatewayReply.h"
#include "net/SessionData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

using namespace gateway;

class TestGatewayReply : public QObject
{
    Q_OBJECT

private slots:
    void contentOfWhateverArrives_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("content"); // what is read, as compact JSON
        QTest::addColumn<bool>("answer");        // a reply of the gateway at all
        QTest::newRow("normal") << QByteArray("{\"content\":{\"code\":1,\"msg\":\"ok\"}}")
                                << QByteArray("{\"code\":1,\"msg\":\"ok\"}") << true;
        // Some servers put a UTF-8 byte order mark before the JSON: the reply is still read.
        QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf{\"content\":{\"code\":1,\"msg\":\"ok\"}}")
                                         << QByteArray("{\"code\":1,\"msg\":\"ok\"}") << true;
        QTest::newRow("empty content") << QByteArray("{\"content\":{}}") << QByteArray("{}") << true;
        QTest::newRow("empty object") << QByteArray("{}") << QByteArray("{}") << false;
        QTest::newRow("empty body") << QByteArray() << QByteArray("{}") << false;
        QTest::newRow("html error page") << QByteArray("<html><body>502 Bad Gateway</body></html>") << QByteArray("{}")
                                         << false;
        QTest::newRow("timeout text") << QByteArray("timeout") << QByteArray("{}") << false;
        QTest::newRow("array") << QByteArray("[{\"content\":{\"code\":1}}]") << QByteArray("{}") << false;
        QTest::newRow("content not an object") << QByteArray("{\"content\":\"x\"}") << QByteArray("{}") << false;
        QTest::newRow("content null") << QByteArray("{\"content\":null}") << QByteArray("{}") << false;
        QTest::newRow("truncated") << QByteArray("{\"content\":{\"code\":1,\"ms") << QByteArray("{}") << false;
    }
    void contentOfWhateverArrives()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, content);
        QFETCH(bool, answer);
        QCOMPARE(QJsonDocument(replyContent(body)).toJson(QJsonDocument::Compact), content);
        QCOMPARE(hasContent(body), answer);
    }

    // A registration is stored once the gateway has answered, whatever code it gives; only what is
    // no answer of the gateway leaves it unknown.
    void registrationStoredWhenTheGatewayAnswered()
    {
        QVERIFY(CardRegistration::stored(true, "{\"content\":{\"code\":1}}"));
        QVERIFY(CardRegistration::stored(true, "{\"content\":{\"code\":0,\"msg\":\"已登记\"}}"));
        QVERIFY(CardRegistration::stored(true, "{\"content\":{}}"));
        QVERIFY(!CardRegistration::stored(false, "{\"content\":{\"code\":1}}"));
        QVERIFY(!CardRegistration::stored(true, "{}"));
        QVERIFY(!CardRegistration::stored(true, "<html>200 but a proxy's page</html>"));
        QVERIFY(!CardRegistration::stored(true, ""));
    }

    void refundReplyIsReadAtTopLevel()
    {
        const QJsonObject top = replyObject("{\"code\":5,\"msg\":\"退款密码错误\"}");
        QCOMPARE(jsonInt(top.value("code")), 5);
        QCOMPARE(jsonText(top.value("msg")), QStringLiteral("退款密码错误"));
        QVERIFY(replyObject("not json").isEmpty());
    }

    void textOfAnyValue()
    {
        const QJsonObject o = replyContent("{\"content\":{\"s\":\"abc\",\"id\":1001,\"big\":9007199254740993,\"neg\":-"
                                           "7,\"frac\":12.5,\"tenth\":0.1,\"t\":true,\"n\":null,\"a\":[1]}}");
        QCOMPARE(jsonText(o.value("s")), QString("abc"));
        QCOMPARE(jsonText(o.value("id")), QString("1001"));
        QCOMPARE(jsonText(o.value("neg")), QString("-7"));
        QCOMPARE(jsonText(o.value("frac")), QString("12.5"));
        QCOMPARE(jsonText(o.value("tenth")), QString("0.1"));
        QCOMPARE(jsonText(o.value("t")), QString("true"));
        QCOMPARE(jsonText(o.value("n")), QString());
        QCOMPARE(jsonText(o.value("a")), QString());
        QCOMPARE(jsonText(o.value("missing")), QString());
    }

    void integersAndFen()
    {
        const QJsonObject o = replyContent("{\"content\":{\"n\":5,\"s\":\"5\",\"bad\":\"5x\",\"frac\":1.5,\"huge\":"
                                           "1e300,\"fen\":\"1234\",\"ali\":1234,\"neg\":\"-3\",\"dec\":\"12.34\"}}");
        QCOMPARE(jsonInt(o.value("n")), 5);
        QCOMPARE(jsonInt(o.value("s")), 5);
        QCOMPARE(jsonInt(o.value("bad")), 0);
        QCOMPARE(jsonInt(o.value("frac")), 0);
        QCOMPARE(jsonInt(o.value("huge")), 0);
        qint64 fen = -1;
        QVERIFY(jsonFen(o.value("fen"), &fen));
        QCOMPARE(fen, qint64(1234));
        QVERIFY(jsonFen(o.value("ali"), &fen));
        QCOMPARE(fen, qint64(1234));
        QVERIFY(jsonFen(o.value("neg"), &fen));
        QCOMPARE(fen, qint64(-3));
        QVERIFY(!jsonFen(o.value("dec"), &fen));
        QVERIFY(!jsonFen(o.value("frac"), &fen));
        QVERIFY(!jsonFen(o.value("missing"), &fen));
    }

    void sessionGivesIdsAsText()
    {
        SessionData& session = SessionData::instance();
        QCOMPARE(&session, &SessionData::instance());
        QCOMPARE(session.token(), QString());
        session.setUserInfo(replyContent("{\"content\":{\"token\":\"abc\",\"id\":1001}}"));
        session.setCurrentShop(QJsonObject{{"shopid", 8}, {"main_name", "M"}});
        QCOMPARE(session.token(), QString("abc"));
        QCOMPARE(session.userId(), QString("1001"));
        QCOMPARE(session.shopId(), QString("8"));

        // Readers hold copies: refilling the page leaves an order taken earlier untouched.
        session.insertOrder(0, QJsonObject{{"out_trade_no", "OLD"}});
        const QJsonObject taken = session.orders().value(0);
        session.clearOrders();
        session.insertOrder(0, QJsonObject{{"out_trade_no", "NEW"}});
        QCOMPARE(taken.value("out_trade_no").toString(), QString("OLD"));
        QCOMPARE(session.orders().value(0).value("out_trade_no").toString(), QString("NEW"));
    }
};

QTEST_GUILESS_MAIN(TestGatewayReply)
#include "tst_gatewayreply.moc"
