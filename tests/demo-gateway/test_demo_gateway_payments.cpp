// The demo gateway's payment actions over real HTTP against a fresh database, read the way the
// cashier client reads them: collecting, registering items, listing with totals, refunds and the
// shift summary.

#include "GatewayProcess.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QString localText(qint64 seconds, const char* format = "yyyy-M-d hh:mm:ss")
{
    return QDateTime::fromSecsSinceEpoch(seconds).toString(format);
}

qint64 parseLocal(const QString& text)
{
    return QDateTime::fromString(text, "yyyy-MM-dd hh:mm:ss").toSecsSinceEpoch();
}

} // namespace

class TestDemoGatewayPayments : public QObject
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

    void scanpayByChannel_data()
    {
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<QString>("channel");
        QTest::addColumn<int>("moneyType"); // a QJsonValue::Type
        QTest::newRow("wechat") << code::wechat << "WECHAT" << int(QJsonValue::String);
        QTest::newRow("wechat 10") << QByteArray("10") << "WECHAT" << int(QJsonValue::String);
        QTest::newRow("wechat 15") << QByteArray("15") << "WECHAT" << int(QJsonValue::String);
        // The client reads the Alipay amount as a number and every other channel's as text.
        QTest::newRow("alipay") << code::alipay << "ALIPAY" << int(QJsonValue::Double);
        QTest::newRow("alipay 25") << QByteArray("25") << "ALIPAY" << int(QJsonValue::Double);
        QTest::newRow("jd") << code::jd << "JDPAY" << int(QJsonValue::String);
    }
    void scanpayByChannel()
    {
        QFETCH(QByteArray, prefix);
        QFETCH(QString, channel);
        QFETCH(int, moneyType);
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        const QJsonObject paid = m_demo->pay(prefix, "1234", "1002");
        QCOMPARE(paid.value("msg").toString(), QString("成功"));
        QCOMPARE(paid.value("pay_channel").toString(), channel);
        QCOMPARE(int(paid.value("money").type()), moneyType);
        QCOMPARE(paid.value("money").toVariant().toString(), QString("1234"));
        for (const char* key : {"out_trade_no", "trade_no", "pay_date", "operator", "shopname"})
            QVERIFY2(paid.value(key).isString() && !paid.value(key).toString().isEmpty(), key);
        QCOMPARE(paid.value("operator").toString(), QString("张晓梅"));
        QCOMPARE(paid.value("shopname").toString(), QString("青禾茶餐厅滨江龙湖天街店"));
        const qint64 paidAt = parseLocal(paid.value("pay_date").toString());
        QVERIFY(paidAt >= before && paidAt <= QDateTime::currentSecsSinceEpoch());

        const QJsonArray stored = where(m_gw->rows("orders"), "out_trade_no", paid.value("out_trade_no"));
        QCOMPARE(stored.size(), 1);
        const QJsonObject row = stored.first().toObject();
        QCOMPARE(row.value("money").toInt(), 1234);
        QCOMPARE(row.value("channel").toString(), channel);
        QCOMPARE(row.value("shopid").toInt(), 1002);
        QCOMPARE(row.value("user_id").toInt(), 10001);
        QCOMPARE(row.value("trade_no"), paid.value("trade_no"));
    }

    void scanpayRefusals_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QByteArray>("money");
        QTest::addColumn<QByteArray>("uid");
        QTest::addColumn<QByteArray>("shopid");
        const QByteArray fine = "134444444444444447";
        QTest::newRow("no code") << QByteArray() << QByteArray("100") << QByteArray("10001") << QByteArray("1001");
        QTest::newRow("17 digits") << QByteArray("13444444444444447") << QByteArray("100") << QByteArray("10001")
                                   << QByteArray("1001");
        QTest::newRow("letters") << QByteArray("13444444444444444A") << QByteArray("100") << QByteArray("10001")
                                 << QByteArray("1001");
        QTest::newRow("unknown prefix") << QByteArray("994444444444444447") << QByteArray("100") << QByteArray("10001")
                                        << QByteArray("1001");
        QTest::newRow("declined") << QByteArray("134444444444440000") << QByteArray("100") << QByteArray("10001")
                                  << QByteArray("1001");
        QTest::newRow("zero") << fine << QByteArray("0") << QByteArray("10001") << QByteArray("1001");
        QTest::newRow("decimals") << fine << QByteArray("12.34") << QByteArray("10001") << QByteArray("1001");
        QTest::newRow("negative") << fine << QByteArray("-100") << QByteArray("10001") << QByteArray("1001");
        QTest::newRow("no amount") << fine << QByteArray() << QByteArray("10001") << QByteArray("1001");
        QTest::newRow("unknown user") << fine << QByteArray("100") << QByteArray("99999") << QByteArray("1001");
        QTest::newRow("no shop") << fine << QByteArray("100") << QByteArray("10001") << QByteArray();
        QTest::newRow("other merchant's shop")
            << fine << QByteArray("100") << QByteArray("10001") << QByteArray("1004");
    }
    void scanpayRefusals()
    {
        QFETCH(QByteArray, code);
        QFETCH(QByteArray, money);
        QFETCH(QByteArray, uid);
        QFETCH(QByteArray, shopid);
        const int orders = m_gw->rows("orders").size();
        const QJsonObject refused =
            m_gw->action("Pay.Ace.scanpay", {{"auth_code", code}, {"money", money}, {"uid", uid}, {"shopid", shopid}})
                .content();
        QVERIFY(refused.value("msg").isString());
        QVERIFY(!refused.value("msg").toString().isEmpty());
        QVERIFY(refused.value("msg").toString() != "成功");
        QVERIFY(!refused.contains("out_trade_no"));
        QCOMPARE(m_gw->rows("orders").size(), orders);
    }

    void paymentCodeIsUsedOnce()
    {
        const QByteArray code = Cashier::nextCode(code::wechat);
        const Fields fields{{"auth_code", code}, {"money", "500"}, {"uid", "10001"}, {"shopid", "1001"}};
        QCOMPARE(m_gw->action("Pay.Ace.scanpay", fields).content().value("msg").toString(), QString("成功"));
        const QJsonObject again = m_gw->action("Pay.Ace.scanpay", fields).content();
        QVERIFY(again.value("msg").toString() != "成功");
        QCOMPARE(where(m_gw->rows("orders"), "auth_code", QString(code)).size(), 1);
    }

    void printedAndRegisteredItemsAreStored()
    {
        const QString no = m_demo->pay(code::wechat, "880").value("out_trade_no").toString();
        const auto row = [&] { return where(m_gw->rows("orders"), "out_trade_no", no).first().toObject(); };
        QCOMPARE(row().value("printed").toInt(), 0);
        QCOMPARE(m_gw->action("Account.Print.doprint", {{"no", no.toUtf8()}}, m_demo->token).status, 200);
        QCOMPARE(row().value("printed").toInt(), 1);

        const QJsonObject unknown =
            m_gw->action("Account.Pay.docard", {{"no", "nosuchorder"}, {"card", "8808"}}, m_demo->token).content();
        QVERIFY(unknown.value("code").toInt() != 1);
        const QJsonObject empty =
            m_gw->action("Account.Pay.docard", {{"no", no.toUtf8()}, {"card", ""}}, m_demo->token).content();
        QVERIFY(empty.value("code").toInt() != 1);
        // Two numbers in one registration are two items; registering one again adds nothing.
        for (const QByteArray& card : {QByteArray("8808,A12"), QByteArray("8808")})
            QCOMPARE(m_gw->action("Account.Pay.docard", {{"no", no.toUtf8()}, {"card", card}}, m_demo->token)
                         .content()
                         .value("code")
                         .toInt(),
                     1);

        const QJsonObject cards = m_gw->action("Account.Pay.cards", {{"no", no.toUtf8()}}, m_demo->token).content();
        QCOMPARE(cards.value("count").type(), QJsonValue::Double);
        QCOMPARE(cards.value("count").toInt(), 2);
        const QJsonArray items = cards.value("cards").toArray();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0].toObject().value("cardno").toString(), QString("8808"));
        QCOMPARE(items[0].toObject().value("state").toString(), QString("0"));
        QCOMPARE(items[1].toObject().value("cardno").toString(), QString("A12"));
        QCOMPARE(m_demo->listed(no).value("cardno").toString(), QString("8808,A12"));

        // Items of another merchant's order are neither listed nor registered.
        const QByteArray other = m_gw->login("demo2", "demo123");
        QCOMPARE(m_gw->action("Account.Pay.cards", {{"no", no.toUtf8()}}, other).content().value("count").toInt(), 0);
        QVERIFY(m_gw->action("Account.Pay.docard", {{"no", no.toUtf8()}, {"card", "Z9"}}, other)
                    .content()
                    .value("code")
                    .toInt() != 1);
        QCOMPARE(
            m_gw->action("Account.Pay.cards", {{"no", no.toUtf8()}}, m_demo->token).content().value("count").toInt(),
            2);
    }

    void listPayPagesAndTotals()
    {
        m_demo->pay(code::jd, "777", "1003"); // at least one order of every scanned channel
        QJsonArray mine = where(m_gw->rows("orders"), "user_id", 10001);
        QVERIFY(mine.size() > 20);
        QMap<QString, QPair<qint64, qint64>> byChannel; // count, money
        qint64 money = 0, refunded = 0;
        QSet<QString> expected;
        for (const QJsonValue& value : mine) {
            const QJsonObject row = value.toObject();
            byChannel[row.value("channel").toString()].first += 1;
            byChannel[row.value("channel").toString()].second += row.value("money").toInt();
            money += row.value("money").toInt();
            refunded += row.value("refunded").toInt();
            expected.insert(row.value("out_trade_no").toString());
        }
        QVERIFY(byChannel.value("CARD").first > 0); // the seeded card payments

        const auto page = [&](const QByteArray& p) {
            return m_gw
                ->action("Account.Pay.listPay",
                         {{"page_num", "20"},
                          {"p", p},
                          {"ord", "desc"},
                          {"tradeno", ""},
                          {"start_date", "2000-1-1 00:00:00"},
                          {"end_date", "2100-1-1 00:00:00"},
                          {"shopid", ""},
                          {"cardno", ""}},
                         m_demo->token)
                .content();
        };
        const QJsonObject first = page("1");
        QCOMPARE(first.value("total_page").type(), QJsonValue::Double);
        const int pages = first.value("total_page").toInt();
        QCOMPARE(pages, (mine.size() + 19) / 20);
        const auto text = [&](const char* key) {
            return first.value(key).isString() ? first.value(key).toString() : QString("(not text)");
        };
        QCOMPARE(text("total_count"), QString::number(mine.size()));
        QCOMPARE(text("total_fee"), QString::number(money));
        QCOMPARE(text("total_rfee"), QString::number(refunded));
        QCOMPARE(text("total_wx"), QString::number(byChannel.value("WECHAT").first));
        QCOMPARE(text("wechat_tfee"), QString::number(byChannel.value("WECHAT").second));
        QCOMPARE(text("total_al"), QString::number(byChannel.value("ALIPAY").first));
        QCOMPARE(text("alipay_tfee"), QString::number(byChannel.value("ALIPAY").second));
        QCOMPARE(text("jdpay_tnum"), QString::number(byChannel.value("JDPAY").first));
        QCOMPARE(text("jdpay_tfee"), QString::number(byChannel.value("JDPAY").second));
        QCOMPARE(text("swipingcard_tnum"), QString::number(byChannel.value("CARD").first));
        QCOMPARE(text("total_pos"), QString::number(byChannel.value("CARD").first));
        QCOMPARE(text("swipingcard_tfee"), QString::number(byChannel.value("CARD").second));

        QSet<QString> seen;
        QString previousDate = "9999";
        for (int p = 1; p <= pages; ++p) {
            const QJsonArray list = page(QByteArray::number(p)).value("listpay").toArray();
            QCOMPARE(list.size(), p < pages ? 20 : mine.size() - 20 * (pages - 1));
            for (const QJsonValue& value : list) {
                const QJsonObject order = value.toObject();
                for (const char* key : {"trade_no", "out_trade_no", "money", "refundfee", "pay_channel", "finalinfo",
                                        "pay_date", "shopname", "cardno"})
                    QVERIFY2(order.value(key).isString(), key);
                QVERIFY(order.value("pay_date").toString() <= previousDate); // newest first
                previousDate = order.value("pay_date").toString();
                QVERIFY(!seen.contains(order.value("out_trade_no").toString()));
                seen.insert(order.value("out_trade_no").toString());
            }
        }
        QCOMPARE(seen, expected);
        QVERIFY(page(QByteArray::number(pages + 1)).value("listpay").toArray().isEmpty());
        QCOMPARE(page("0").value("listpay"), first.value("listpay")); // page 0 reads as the first
    }

    void listPayFilters()
    {
        const QJsonArray mine = where(m_gw->rows("orders"), "user_id", 10001);
        const auto query = [&](const Fields& filters) {
            Fields fields{{"page_num", "20"}, {"p", "1"}, {"ord", "desc"}};
            return m_gw->action("Account.Pay.listPay", fields + filters, m_demo->token).content();
        };
        const auto countWhere = [&](auto keep) {
            int n = 0;
            for (const QJsonValue& row : mine)
                n += keep(row.toObject()) ? 1 : 0;
            return QString::number(n);
        };

        // A window whose ends are the times of two orders: both ends are included.
        QVector<qint64> times;
        for (const QJsonValue& row : mine)
            times.append(row.toObject().value("pay_time").toInt());
        std::sort(times.begin(), times.end());
        const qint64 from = times[3], to = times[9];
        const QJsonObject window =
            query({{"start_date", localText(from).toUtf8()}, {"end_date", localText(to).toUtf8()}});
        QCOMPARE(window.value("total_count").toString(), countWhere([&](const QJsonObject& row) {
                     return row.value("pay_time").toInt() >= from && row.value("pay_time").toInt() <= to;
                 }));
        QVERIFY(window.value("total_count").toString().toInt() >= 7);

        const QJsonObject shop = query({{"shopid", "1002"}});
        QCOMPARE(shop.value("total_count").toString(),
                 countWhere([](const QJsonObject& row) { return row.value("shopid").toInt() == 1002; }));
        for (const QJsonValue& order : shop.value("listpay").toArray())
            QCOMPARE(order.toObject().value("shopname").toString(), QString("青禾茶餐厅滨江龙湖天街店"));

        const QJsonObject one = mine.last().toObject();
        for (const char* key : {"out_trade_no", "trade_no"}) {
            const QJsonObject found = query({{"tradeno", one.value(key).toString().toUtf8()}});
            QCOMPARE(found.value("total_count").toString(), QString("1"));
            QCOMPARE(found.value("listpay").toArray().first().toObject().value("out_trade_no"),
                     one.value("out_trade_no"));
        }

        const QJsonObject badDate = query({{"start_date", "yesterday"}});
        QVERIFY(badDate.value("code").toInt() != 1);
        QVERIFY(badDate.value("listpay").toArray().isEmpty());
    }

    void refunds()
    {
        const QString no = m_demo->pay(code::wechat, "1000").value("out_trade_no").toString();
        QCOMPARE(m_gw->action("Account.Pay.docard", {{"no", no.toUtf8()}, {"card", "R1,R2"}}, m_demo->token).status,
                 200);
        const auto refundedSoFar = [&] {
            return where(m_gw->rows("orders"), "out_trade_no", no).first().toObject().value("refunded").toInt();
        };

        const QJsonObject wrongPassword = m_demo->refund(no, "100", "654321");
        QCOMPARE(wrongPassword.value("code").type(), QJsonValue::Double);
        QCOMPARE(wrongPassword.value("code").toInt(), 5);
        QVERIFY(!wrongPassword.value("msg").toString().isEmpty());
        for (const QByteArray& fen : {QByteArray("1001"), QByteArray("0"), QByteArray("1.5"), QByteArray("")}) {
            const QJsonObject refused = m_demo->refund(no, fen, "123456");
            QVERIFY2(refused.value("code").toInt() != 1 && refused.value("code").toInt() != 5, fen);
            QVERIFY(refused.value("msg").toString() != "退款成功");
        }
        QCOMPARE(refundedSoFar(), 0);

        const QJsonObject part = m_demo->refund(no, "400", "123456", "R1,");
        QCOMPARE(part.value("msg").toString(), QString("退款成功"));
        QCOMPARE(part.value("code").toInt(), 1);
        QCOMPARE(refundedSoFar(), 400);
        QJsonObject order = m_demo->listed(no);
        QCOMPARE(order.value("refundfee").toString(), QString("400"));
        QCOMPARE(order.value("finalinfo").toString(), QString("退款成功"));
        const QJsonArray items =
            m_gw->action("Account.Pay.cards", {{"no", no.toUtf8()}}, m_demo->token).content().value("cards").toArray();
        QCOMPARE(items[0].toObject().value("state").toString(), QString("1")); // R1 handed back
        QCOMPARE(items[1].toObject().value("state").toString(), QString("0"));

        QVERIFY(m_demo->refund(no, "601", "123456").value("code").toInt() != 1); // 600 are left
        QCOMPARE(m_demo->refund(no, "600", "123456").value("msg").toString(), QString("退款成功"));
        QCOMPARE(refundedSoFar(), 1000);
        QCOMPARE(m_demo->listed(no).value("finalinfo").toString(), QString("已退款,交易关闭"));
        QVERIFY(m_demo->refund(no, "1", "123456").value("code").toInt() != 1);
        const QJsonValue orderId = where(m_gw->rows("orders"), "out_trade_no", no).first().toObject().value("id");
        const QJsonArray made = where(m_gw->rows("refunds"), "order_id", orderId);
        QCOMPARE(made.size(), 2);
        QCOMPARE(made[0].toObject().value("amount").toInt(), 400);
        QCOMPARE(made[0].toObject().value("cardno").toString(), QString("R1,"));
        QCOMPARE(made[1].toObject().value("amount").toInt(), 600);

        // A card payment is refunded on its terminal; another merchant's order cannot be reached.
        const QJsonObject card = where(m_gw->rows("orders"), "channel", "CARD").first().toObject();
        QVERIFY(m_demo->refund(card.value("out_trade_no").toString(), "1", "123456").value("code").toInt() != 1);
        const QJsonObject theirs = where(m_gw->rows("orders"), "user_id", 10002).first().toObject();
        QVERIFY(m_demo->refund(theirs.value("out_trade_no").toString(), "1", "123456").value("code").toInt() != 1);
        QCOMPARE(where(m_gw->rows("orders"), "out_trade_no", theirs.value("out_trade_no")).first().toObject(), theirs);
    }

    void shiftSummaryPeriod()
    {
        const auto propose = [&] { return m_gw->action("Account.Print.prinTtime", {}, m_demo->token).content(); };
        const auto sum = [&](qint64 t1, qint64 t2) {
            return m_gw
                ->action("Account.Pay.listSum", {{"time1", QByteArray::number(t1)}, {"time2", QByteArray::number(t2)}},
                         m_demo->token)
                .content();
        };
        const auto logPrint = [&](const QByteArray& t1, const QByteArray& t2) {
            return m_gw->action("Account.Print.logPrint", {{"time1", t1}, {"time2", t2}}, m_demo->token).content();
        };

        // Nothing printed yet: from today's midnight until now.
        const QJsonObject firstPeriod = propose();
        QCOMPARE(firstPeriod.value("time1").toString(),
                 QDateTime(QDate::currentDate(), QTime(0, 0)).toString("yyyy-MM-dd hh:mm:ss"));
        QVERIFY(qAbs(parseLocal(firstPeriod.value("time2").toString()) - QDateTime::currentSecsSinceEpoch()) <= 5);

        QTest::qSleep(1100); // the payments of earlier tests lie in earlier seconds
        const qint64 start = QDateTime::currentSecsSinceEpoch();
        const QString wechat = m_demo->pay(code::wechat, "2000").value("out_trade_no").toString();
        m_demo->pay(code::alipay, "505", "1003");
        QCOMPARE(m_demo->refund(wechat, "300", "123456").value("code").toInt(), 1);
        const qint64 end = QDateTime::currentSecsSinceEpoch() + 1;

        const QJsonObject totals = sum(start, end);
        QCOMPARE(totals.value("time1").toString(), localText(start, "yyyy-MM-dd hh:mm:ss"));
        QCOMPARE(totals.value("time2").toString(), localText(end, "yyyy-MM-dd hh:mm:ss"));
        QCOMPARE(totals.value("allmoney").toString(), QString("2205")); // received: 2000 + 505 - 300
        QCOMPARE(totals.value("refundmoney").toString(), QString("300"));
        const QJsonObject wx = totals.value("WECHAT").toObject(), ali = totals.value("ALIPAY").toObject();
        QCOMPARE(wx.value("money").toString(), QString("2000"));
        QCOMPARE(wx.value("refundmoney").toString(), QString("300"));
        QCOMPARE(ali.value("money").toString(), QString("505"));
        QCOMPARE(ali.value("refundmoney").toString(), QString("0"));
        QCOMPARE(sum(end + 1, end + 100).value("WECHAT").toObject().value("money").toString(), QString("0"));

        // A logged print moves the next proposal's start to its end.
        QCOMPARE(logPrint(QByteArray::number(start), QByteArray::number(end)).value("code").toInt(), 1);
        QCOMPARE(propose().value("time1").toString(), localText(end, "yyyy-MM-dd hh:mm:ss"));
        for (const auto& bad : {qMakePair(QByteArray::number(end), QByteArray::number(start)),
                                qMakePair(QByteArray("2024-06-01 08:00:00"), QByteArray::number(end))})
            QVERIFY(logPrint(bad.first, bad.second).value("code").toInt() != 1);
        QCOMPARE(propose().value("time1").toString(), localText(end, "yyyy-MM-dd hh:mm:ss"));
        const QJsonArray log = where(m_gw->rows("print_log"), "user_id", 10001);
        QCOMPARE(log.size(), 1);
        QCOMPARE(log.first().toObject().value("time2").toInt(), end);
    }
};

QTEST_GUILESS_MAIN(TestDemoGatewayPayments)
#include "test_demo_gateway_payments.moc"
