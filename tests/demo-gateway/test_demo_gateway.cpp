// The demo gateway's account actions over real HTTP against a fresh database, read the way the
// cashier client reads them (QJsonDocument, value types included): login, tokens, shops, passwords,
// print orders and the decoding of free text.

#include "GatewayProcess.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestDemoGateway : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<GatewayProcess> m_gw;
    std::unique_ptr<Cashier> m_demo;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_gw = std::make_unique<GatewayProcess>(m_dir.filePath("gateway.db"));
        QVERIFY2(m_gw->start(), qPrintable(m_gw->log()));
        m_demo = std::make_unique<Cashier>(*m_gw, "demo", "demo123");
        QVERIFY(!m_demo->token.isEmpty());
    }

    void cleanupTestCase() { QVERIFY2(m_gw->stop(), qPrintable(m_gw->log())); }

    void login()
    {
        const Reply ok = m_gw->action("Share.Ace.login", {{"uname", "demo"}, {"pword", "demo123"}});
        QCOMPARE(ok.status, 200);
        const QJsonObject user = ok.content();
        QCOMPARE(user.value("code").toInt(), 1);
        // The client reads id, token, uname, rname and company as text.
        for (const char* key : {"token", "id", "uname", "rname", "company"})
            QVERIFY2(user.value(key).isString() && !user.value(key).toString().isEmpty(), key);
        QCOMPARE(user.value("uname").toString(), QString("demo"));
        QCOMPARE(user.value("id").toString(), QString("10001"));
        QVERIFY(user.value("token").toString().toUtf8() != m_demo->token); // a new token per login

        for (const Fields& wrong :
             {Fields{{"uname", "demo"}, {"pword", "demo124"}}, Fields{{"uname", "nobody"}, {"pword", "demo123"}},
              Fields{{"uname", "demo"}, {"pword", ""}}}) {
            const QJsonObject refused = m_gw->action("Share.Ace.login", wrong).content();
            QCOMPARE(refused.value("code").toInt(-99), 0);
            QVERIFY(!refused.value("msg").toString().isEmpty());
            QVERIFY(!refused.contains("token"));
        }
    }

    void tokenIsRequired_data()
    {
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<Fields>("fields");
        const QByteArray order = "$ORDER";
        QTest::newRow("listShop") << QByteArray("Account.Shop.listShop") << Fields{};
        QTest::newRow("orders") << QByteArray("Account.Print.orders") << Fields{};
        QTest::newRow("doprint") << QByteArray("Account.Print.doprint") << Fields{{"no", order}};
        QTest::newRow("docard") << QByteArray("Account.Pay.docard") << Fields{{"no", order}, {"card", "X1"}};
        QTest::newRow("listPay") << QByteArray("Account.Pay.listPay") << Fields{{"p", "1"}};
        QTest::newRow("refund") << QByteArray("Account.Pay.refund")
                                << Fields{{"refundmoney", "1"}, {"tradeno", order}, {"cardno", ""}, {"pwd", "123456"}};
        QTest::newRow("cards") << QByteArray("Account.Pay.cards") << Fields{{"no", order}};
        QTest::newRow("prinTtime") << QByteArray("Account.Print.prinTtime") << Fields{};
        QTest::newRow("listSum") << QByteArray("Account.Pay.listSum") << Fields{{"time1", "0"}, {"time2", "1"}};
        QTest::newRow("logPrint") << QByteArray("Account.Print.logPrint") << Fields{{"time1", "0"}, {"time2", "1"}};
        QTest::newRow("editPassword") << QByteArray("Share.Ace.editPassword")
                                      << Fields{{"uname", "demo"}, {"pword", "abcdef1"}, {"re_password", "abcdef1"}};
        QTest::newRow("editRefundPassword1")
            << QByteArray("Share.Ace.editRefundPassword1")
            << Fields{{"uname", "demo"}, {"pword", "111111"}, {"re_password", "111111"}, {"oldpwd", "123456"}};
        QTest::newRow("getQuestion") << QByteArray("Share.Ace.getQuestion") << Fields{};
        const Fields question{{"uname", "demo"},
                              {"pword", "111111"},
                              {"re_password", "111111"},
                              {"answer", "李秀英"},
                              {"question", "您母亲的名字是什么？"}};
        QTest::newRow("setRefundPassword") << QByteArray("Share.Ace.setRefundPassword") << question;
        QTest::newRow("editRefundPassword") << QByteArray("Share.Ace.editRefundPassword") << question;
    }
    void tokenIsRequired()
    {
        QFETCH(QByteArray, action);
        QFETCH(Fields, fields);
        const QString order = m_gw->rows("orders").first().toObject().value("out_trade_no").toString();
        for (auto& field : fields)
            field.second.replace("$ORDER", order.toUtf8());
        QVERIFY(m_gw->adminPost("/admin/print-orders", R"({"order_num":"T1"})", "application/json").status == 200);
        const auto snapshot = [&] {
            QByteArray all;
            for (const char* table : {"users", "orders", "cards", "refunds", "print_orders", "print_log"})
                all += QJsonDocument(m_gw->rows(table)).toJson();
            return all;
        };
        const QByteArray before = snapshot();

        for (const QByteArray& token : {QByteArray(), QByteArray(""), QByteArray("0123456789abcdef")}) {
            const Reply reply = m_gw->action(action, fields, token);
            QCOMPARE(reply.status, 200);
            // The refund reply is read at the top level, every other one inside "content".
            const QJsonObject read = action == "Account.Pay.refund" ? reply.json() : reply.content();
            QCOMPARE(read.value("code").toInt(), -1);
            QVERIFY(!read.value("msg").toString().isEmpty());
            QVERIFY(read.value("respType").toString() != "Success");
            for (const char* payload : {"listshop", "list", "listpay", "cards", "time1", "refundquestion"})
                QVERIFY2(!read.contains(payload), payload);
        }
        QCOMPARE(snapshot(), before);
        m_gw->action("Account.Print.orders", {}, m_demo->token); // leaves no queued order to later tests
    }

    void unknownActionAndVersionCheck()
    {
        for (const QByteArray& body :
             {QByteArray("version=3.0&action=Share.Ace.logout&"), QByteArray("version=3.0"), QByteArray("")}) {
            const Reply reply = m_gw->postBody(body);
            QCOMPARE(reply.status, 200);
            QCOMPARE(reply.content().value("code").toInt(-99), 0);
            QCOMPARE(reply.content().value("msg").toString(), QString("未知操作"));
        }

        const auto update = [&] { return m_gw->action("Share.App.update", {{"system", "pc"}}).content(); };
        QVERIFY(update().value("code").toInt() != 0);
        QCOMPARE(update().value("version_code").toString(), QString("3.0.1"));
        QCOMPARE(m_gw->adminPost("/admin/version?code=3.0.10").status, 200);
        QCOMPARE(update().value("version_code").toString(), QString("3.0.10"));
        QCOMPARE(m_gw->adminPost("/admin/version?code=").status, 200);
        QCOMPARE(update().value("code").toInt(-99), 0); // nothing on offer
        QCOMPARE(m_gw->adminPost("/admin/version?code=3.0.1").status, 200);
        QCOMPARE(QJsonDocument::fromJson(m_gw->adminGet("/admin/version").body).object().value("version_code"),
                 QJsonValue("3.0.1"));
    }

    void listShop()
    {
        const QJsonArray shops =
            m_gw->action("Account.Shop.listShop", {}, m_demo->token).content().value("listshop").toArray();
        QCOMPARE(shops.size(), 3);
        QSet<QString> ids;
        for (const QJsonValue& value : shops) {
            const QJsonObject shop = value.toObject();
            for (const char* key : {"shopid", "main_name", "branch_name"})
                QVERIFY2(shop.value(key).isString() && !shop.value(key).toString().isEmpty(), key);
            ids.insert(shop.value("shopid").toString());
        }
        QCOMPARE(ids, (QSet<QString>{"1001", "1002", "1003"}));
        // Another merchant sees only its own shop.
        const QByteArray other = m_gw->login("demo2", "demo123");
        const QJsonArray theirs =
            m_gw->action("Account.Shop.listShop", {}, other).content().value("listshop").toArray();
        QCOMPARE(theirs.size(), 1);
        QCOMPARE(theirs.first().toObject().value("shopid").toString(), QString("1004"));
    }

    void freeTextArrivesByteExact()
    {
        const QString no = m_demo->pay(code::alipay, "990").value("out_trade_no").toString();
        const QByteArray card = "A&B=C+D%E<F>\"引号\"\\反斜杠\t\x01中文 ８０８";
        QCOMPARE(m_gw->action("Account.Pay.docard", {{"no", no.toUtf8()}, {"card", card}}, m_demo->token).status, 200);
        // Raw bytes as well: UTF-8 not percent-encoded, and a "+" that stays a plus.
        QCOMPARE(m_gw->postBody("version=3.0&action=Account.Pay.docard&token=" + m_demo->token + "&no=" + no.toUtf8() +
                                "&card=房间+808&")
                     .status,
                 200);

        // A raw "&" splits the value; the part after it cannot replace a field sent before it.
        QCOMPARE(m_gw->postBody("version=3.0&action=Account.Pay.docard&token=" + m_demo->token + "&no=" + no.toUtf8() +
                                "&card=X7&token=bogus&no=other")
                     .content()
                     .value("code")
                     .toInt(),
                 1);

        QJsonArray stored;
        for (const QJsonValue& row : m_gw->rows("cards"))
            if (row.toObject().value("order_id") ==
                where(m_gw->rows("orders"), "out_trade_no", no).first().toObject().value("id"))
                stored.append(row.toObject().value("cardno"));
        QCOMPARE(stored, (QJsonArray{QString::fromUtf8(card), QString::fromUtf8("房间+808"), "X7"}));
        const Reply cardsReply = m_gw->action("Account.Pay.cards", {{"no", no.toUtf8()}}, m_demo->token);
        // Control characters are escaped, as strict JSON readers require.
        QVERIFY(!cardsReply.body.contains('\t') && !cardsReply.body.contains('\x01'));
        const QJsonArray listedCards = cardsReply.content().value("cards").toArray();
        QCOMPARE(listedCards.first().toObject().value("cardno").toString(), QString::fromUtf8(card));

        // Bytes that are not UTF-8 are stored as they came, but cannot spoil the JSON of a reply.
        const QString undecodable = m_demo->pay(code::wechat, "990").value("out_trade_no").toString();
        QCOMPARE(m_gw->postBody("version=3.0&action=Account.Pay.docard&token=" + m_demo->token +
                                "&no=" + undecodable.toUtf8() + "&card=%B7%BF808&")
                     .status,
                 200);
        QCOMPARE(m_gw->action("Account.Pay.cards", {{"no", undecodable.toUtf8()}}, m_demo->token)
                     .content()
                     .value("cards")
                     .toArray()
                     .first()
                     .toObject()
                     .value("cardno")
                     .toString(),
                 QString(2, QChar(0xFFFD)) + "808");
        // The same text finds the order through the item filter.
        const QJsonObject found =
            m_gw->action("Account.Pay.listPay", {{"page_num", "20"}, {"p", "1"}, {"cardno", card}}, m_demo->token)
                .content();
        QCOMPARE(found.value("total_count").toString(), QString("1"));
        QCOMPARE(found.value("listpay").toArray().first().toObject().value("out_trade_no").toString(), no);

        // A security question and answer, set by the merchant that has none yet.
        const QByteArray other = m_gw->login("demo2", "demo123");
        const QByteArray question = "我的&问题=什么+%<b>？";
        const QByteArray answer = "答&案=+%";
        const auto questionFields = [&](const QByteArray& answerText, const QByteArray& pwd) {
            return Fields{{"uname", "demo2"},
                          {"pword", pwd},
                          {"re_password", pwd},
                          {"answer", answerText},
                          {"question", question}};
        };
        QCOMPARE(m_gw->action("Share.Ace.setRefundPassword", questionFields(answer, "246810"), other)
                     .content()
                     .value("respType")
                     .toString(),
                 QString("Success"));
        QCOMPARE(m_gw->action("Share.Ace.getQuestion", {}, other).content().value("refundquestion").toString(),
                 QString::fromUtf8(question));
        QCOMPARE(where(m_gw->rows("users"), "uname", "demo2").first().toObject().value("refund_question").toString(),
                 QString::fromUtf8(question));
        // The answer is checked whole: the part before "&" is not enough.
        QVERIFY(m_gw->action("Share.Ace.editRefundPassword", questionFields("答", "135790"), other)
                    .content()
                    .value("respType")
                    .toString() != "Success");
        QCOMPARE(m_gw->action("Share.Ace.editRefundPassword", questionFields(answer, "135790"), other)
                     .content()
                     .value("respType")
                     .toString(),
                 QString("Success"));
    }

    void printOrdersAreHandedOutOnce()
    {
        const QJsonArray queued = QJsonDocument::fromJson(R"([
            {"sname":"青禾茶餐厅西湖文化广场店","uname":"张晓梅","created_time":"2024-06-01 12:00:00",
             "order_num":"P20240601001","pay_type":"微信支付","pay_money":"12.50","pay_num":"4200000001"},
            {"sname":"青禾茶餐厅城西银泰店","uname":"王芳","created_time":"2024-06-01 12:05:00",
             "order_num":"P20240601002","pay_type":"支付宝","pay_money":"8.00"}])")
                                      .array();
        QCOMPARE(m_gw->adminPost("/admin/print-orders", QJsonDocument(queued).toJson(), "application/json").status,
                 200);
        QCOMPARE(m_gw->adminPost("/admin/print-orders?uname=demo2", R"({"order_num":"X"})", "application/json").status,
                 200);
        QCOMPARE(m_gw->adminPost("/admin/print-orders", "[1,2]", "application/json").status, 400);
        QCOMPARE(m_gw->adminPost("/admin/print-orders", "{", "application/json").status, 400);

        const auto poll = [&](const QByteArray& token) {
            return m_gw->action("Account.Print.orders", {}, token).content();
        };
        const QJsonObject first = poll(m_demo->token);
        QCOMPARE(first.value("num").type(), QJsonValue::String);
        QCOMPARE(first.value("num").toString(), QString("2"));
        QCOMPARE(first.value("list").toArray(), queued);
        const QJsonObject second = poll(m_demo->token);
        QCOMPARE(second.value("num").toString(), QString("0"));
        QVERIFY(second.value("list").toArray().isEmpty());
        for (const QJsonValue& row : where(m_gw->rows("print_orders"), "user_id", 10001))
            QVERIFY(!row.toObject().value("delivered_at").isNull());

        const QJsonObject theirs = poll(m_gw->login("demo2", "demo123"));
        QCOMPARE(theirs.value("num").toString(), QString("1"));
        QCOMPARE(theirs.value("list").toArray().first().toObject().value("order_num").toString(), QString("X"));
    }

    void loginPasswordChange()
    {
        const auto change = [&](const QByteArray& uname, const QByteArray& pword, const QByteArray& again) {
            return m_gw
                ->action("Share.Ace.editPassword", {{"uname", uname}, {"pword", pword}, {"re_password", again}},
                         m_demo->token)
                .content()
                .value("msg")
                .toString();
        };
        // Refused: another account, too short, not repeated, and characters the login field cannot take.
        for (const auto& refused :
             {QVector<QByteArray>{"demo2", "newpass1", "newpass1"}, QVector<QByteArray>{"demo", "abc12", "abc12"},
              QVector<QByteArray>{"demo", "newpass1", "newpass2"},
              QVector<QByteArray>{"demo", "new&pass", "new&pass"}}) {
            QVERIFY(!change(refused[0], refused[1], refused[2]).isEmpty());
            QVERIFY(m_gw->login("demo", refused[1]).isEmpty());
            QVERIFY(m_gw->login("demo2", refused[1]).isEmpty());
        }
        QVERIFY(!m_gw->login("demo", "demo123").isEmpty());

        QVERIFY(!change("demo", "newpass1", "newpass1").isEmpty());
        QVERIFY(m_gw->login("demo", "demo123").isEmpty());
        QVERIFY(!m_gw->login("demo", "newpass1").isEmpty());
        change("demo", "demo123", "demo123");
        QVERIFY(!m_gw->login("demo", "demo123").isEmpty());
    }

    void refundPasswordActions()
    {
        const auto respType = [&](const QByteArray& action, const Fields& fields) {
            return m_gw->action(action, fields, m_demo->token).content().value("respType").toString();
        };
        const auto edit1 = [&](const QByteArray& old, const QByteArray& pwd, const QByteArray& again) {
            return respType("Share.Ace.editRefundPassword1",
                            {{"uname", "demo"}, {"pword", pwd}, {"re_password", again}, {"oldpwd", old}});
        };
        const auto byAnswer = [&](const QByteArray& action, const QByteArray& answer, const QByteArray& pwd,
                                  const QByteArray& question) {
            return respType(
                action,
                {{"uname", "demo"}, {"pword", pwd}, {"re_password", pwd}, {"answer", answer}, {"question", question}});
        };
        // Passes the password check exactly when the refund is refused for its amount instead (code 5 otherwise).
        const QString no = m_demo->pay(code::wechat, "100").value("out_trade_no").toString();
        const auto refundCode = [&](const QByteArray& pwd) {
            return m_demo->refund(no, "999", pwd).value("code").toInt();
        };

        for (const QString& refused : {edit1("000000", "654321", "654321"), edit1("123456", "654321", "654320"),
                                       edit1("123456", "65432", "65432")}) {
            QVERIFY(!refused.isEmpty());
            QVERIFY(refused != "Success");
        }
        QCOMPARE(refundCode("123456"), 0);
        QCOMPARE(edit1("123456", "654321", "654321"), QString("Success"));
        QCOMPARE(refundCode("123456"), 5);
        QCOMPARE(refundCode("654321"), 0);

        // The forgotten password is reset by answering the stored question.
        const QByteArray question = "您母亲的名字是什么？";
        QCOMPARE(m_gw->action("Share.Ace.getQuestion", {}, m_demo->token).content().value("refundquestion").toString(),
                 QString::fromUtf8(question));
        QVERIFY(byAnswer("Share.Ace.editRefundPassword", "王秀英", "123456", question) != "Success");
        QCOMPARE(refundCode("654321"), 0);
        QCOMPARE(byAnswer("Share.Ace.editRefundPassword", "李秀英", "123456", question), QString("Success"));
        QCOMPARE(refundCode("123456"), 0);
        // With a question stored, setting a new one (and a password) without the answer is refused.
        QVERIFY(byAnswer("Share.Ace.setRefundPassword", "随便", "111111", "新的问题新的问题") != "Success");
        QCOMPARE(m_gw->action("Share.Ace.getQuestion", {}, m_demo->token).content().value("refundquestion").toString(),
                 QString::fromUtf8(question));
        QCOMPARE(refundCode("111111"), 5);
    }
};

QTEST_GUILESS_MAIN(TestDemoGateway)
#include "test_demo_gateway.moc"
