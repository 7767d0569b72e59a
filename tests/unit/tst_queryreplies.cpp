// The replies of the transaction query, the refund dialog's item list and the cashier summary.

#include "net/PaymentCheck.h"
#include "net/QueryReplies.h"

#include <QtTest>

namespace {

// A reply whose "content" holds `members`, JSON written with single quotes for readability.
QByteArray content(const char* members)
{
    QByteArray reply = "{'content':{" + QByteArray(members) + "}}";
    return reply.replace('\'', '"');
}

// `count` copies of `element`, as a JSON array's members.
QByteArray repeated(const char* element, int count)
{
    QByteArray list;
    for (int i = 0; i < count; ++i)
        list += (i ? "," : "") + QByteArray(element);
    return list;
}

QStringList cells(const query::OrderRow& r)
{
    return {r.tradeNo, r.money, r.refundFee, r.payChannel, r.finalInfo, r.payDate, r.refundButtonText};
}

} // namespace

class TestQueryReplies : public QObject
{
    Q_OBJECT

private slots:
    void listPayLabelsAreExact()
    {
        // Sums past six significant digits keep every fen.
        const query::ListPayPage page = query::readListPay(
            content("'total_page':3,'total_count':'41','total_fee':'123456789','total_rfee':'2000000','total_wx':'20',"
                    "'wechat_tfee':'1234567','total_al':'15','alipay_tfee':'100000000','jdpay_tnum':'',"
                    "'jdpay_tfee':'5','swipingcard_tnum':'9','total_pos':'6','swipingcard_tfee':'129'"));
        QCOMPARE(page.totalPages, 3);
        // JD's empty count shows 0; the card count is "total_pos", "swipingcard_tnum" only gates it.
        QCOMPARE(
            QStringList({page.wechatCount, page.wechatSum, page.alipayCount, page.alipaySum, page.jdCount, page.jdSum,
                         page.cardCount, page.cardSum, page.totalCount, page.totalSum, page.totalRefund}),
            QStringList(
                {"20", "12345.67", "15", "1000000.00", "0", "0.05", "6", "1.29", "41", "1234567.89", "20000.00"}));
        QCOMPARE(query::readListPay(content("'total_pos':'6'")).cardCount, QString("0"));
    }

    void totalPages_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("pages");
        QTest::newRow("decimal text") << content("'total_page':'7'") << 7;
        QTest::newRow("not a number") << content("'total_page':'seven'") << 0;
        QTest::newRow("fraction") << content("'total_page':2.5") << 0;
        QTest::newRow("negative") << content("'total_page':-2") << 0;
    }
    void totalPages()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, pages);
        QCOMPARE(query::readListPay(reply).totalPages, pages);
    }

    void rowsOfAPage()
    {
        const query::ListPayPage page = query::readListPay(content(
            "'listpay':[{'trade_no':'T1','money':'2000000','refundfee':'0','pay_channel':'微信支付',"
            "'finalinfo':'支付成功','pay_date':'2024-06-01 12:00:00'},"
            "{'trade_no':'T2','money':'1234','refundfee':'234','pay_channel':'支付宝','finalinfo':'退款成功'},"
            "'not an order',"
            "{'trade_no':'T3','money':'500','refundfee':'500','pay_channel':'刷卡','finalinfo':'已退款,交易关闭'},"
            "{'trade_no':'T4','money':'800','pay_channel':'刷卡','finalinfo':'支付成功'}]"));
        QCOMPARE(page.orders.size(), 4);
        QCOMPARE(page.rows.size(), 4);
        QCOMPARE(page.orders.at(2).value("trade_no").toString(), QString("T3"));
        // Refunded comes before the card swipe: a refunded card payment still opens the dialog.
        QCOMPARE(cells(page.rows[0]),
                 QStringList({"T1", "20000.00", "0.00", "微信支付", "支付成功", "2024-06-01 12:00:00", "退款"}));
        QCOMPARE(cells(page.rows[1]), QStringList({"T2", "12.34", "2.34", "支付宝", "退款成功", "", "已退款"}));
        QCOMPARE(cells(page.rows[2]), QStringList({"T3", "5.00", "5.00", "刷卡", "已退款,交易关闭", "", "已退款"}));
        QCOMPARE(cells(page.rows[3]), QStringList({"T4", "8.00", "0.00", "刷卡", "支付成功", "", "暂不支持"}));
        QCOMPARE(QList<bool>({page.rows[0].refundButtonEnabled, page.rows[2].refundButtonEnabled,
                              page.rows[3].refundButtonEnabled}),
                 QList<bool>({true, true, false}));
        QCOMPARE(query::readOrder(page.orders.at(1)).leftFen(), qint64(1000));
    }

    void orderFieldsOfTheWrongType()
    {
        // Numbers keep their digits; other types show nothing; an amount that is not whole fen reads 0.
        const query::ListPayPage page = query::readListPay(
            content("'listpay':[{'trade_no':4200000001,'money':{'fen':1},'refundfee':'12.5','pay_channel':['x'],"
                    "'finalinfo':true,'pay_date':null,'cardno':808}]"));
        QCOMPARE(cells(page.rows.value(0)), QStringList({"4200000001", "0.00", "0.00", "", "", "", "退款"}));
        QCOMPARE(query::readOrder(page.orders.value(0)).cardNo, QString("808"));
        // More refunded than paid leaves nothing to refund, never a negative amount.
        QCOMPARE(query::readOrder(QJsonObject{{"money", "100"}, {"refundfee", "300"}}).leftFen(), qint64(0));
    }

    void emptyAndBrokenPages_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("empty page") << content("'total_page':0,'total_count':'0','listpay':[]");
        QTest::newRow("not JSON") << QByteArray("<html>502 Bad Gateway</html>");
    }
    void emptyAndBrokenPages()
    {
        QFETCH(QByteArray, reply);
        const query::ListPayPage page = query::readListPay(reply);
        QVERIFY(page.orders.isEmpty() && page.rows.isEmpty());
        QCOMPARE(page.totalPages, 0);
        QCOMPARE(QStringList({page.wechatSum, page.totalSum, page.totalRefund, page.jdCount, page.cardCount}),
                 QStringList({"0.00", "0.00", "0.00", "0", "0"}));
    }

    void whatAnswersAQuery_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("answers");
        QTest::newRow("a page") << content("'code':1,'total_page':0,'listpay':[]") << true;
        QTest::newRow("no code") << content("'total_page':0") << true;
        QTest::newRow("code as text") << content("'code':'1','allmoney':'0'") << true;
        QTest::newRow("refused") << content("'code':0,'msg':'参数格式错误','listpay':[]") << false;
        QTest::newRow("login expired") << content("'code':-1,'msg':'登录已失效，请重新登录'") << false;
        QTest::newRow("empty object") << QByteArray("{}") << false;
        QTest::newRow("not JSON") << QByteArray("<html>502 Bad Gateway</html>") << false;
        const QByteArray order = "{'trade_no':'T','money':'100'}";
        QTest::newRow("a full page") << content("'listpay':[" + repeated(order, 20) + "]") << true;
        QTest::newRow("more than a page") << content("'listpay':[" + repeated(order, 21) + "]") << false;
    }
    void whatAnswersAQuery()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, answers);
        QCOMPARE(query::answersQuery(reply), answers);
    }

    void itemsOfAnOrder()
    {
        const query::CardsReply cards = query::readCards(
            content("'count':'4','cards':[{'cardno':'A&1','state':'1'},{'cardno':'房间302','state':'0'},7,"
                    "{'cardno':'B=2','state':1},{'cardno':'C','state':'x'}]"));
        QCOMPARE(cards.count, 4);
        QStringList items;
        for (const query::Item& item : cards.items)
            items << item.cardNo + (item.handedBack ? " back" : "");
        QCOMPARE(items, QStringList({"A&1 back", "房间302", "B=2 back", "C"}));

        // A count without the list: items exist but there are none to show.
        const query::CardsReply listless = query::readCards(content("'count':2"));
        QCOMPARE(listless.count, 2);
        QVERIFY(listless.items.isEmpty());
        QCOMPARE(query::readCards("{}").count, 0);

        // More than the dialog lays out is no list to show.
        const QByteArray item = "{'cardno':'A','state':'0'}";
        QCOMPARE(query::readCards(content("'count':60,'cards':[" + repeated(item, 60) + "]")).items.size(), 60);
        const query::CardsReply tooMany = query::readCards(content("'count':61,'cards':[" + repeated(item, 61) + "]"));
        QVERIFY(tooMany.tooMany && tooMany.items.isEmpty());
    }

    void listSumAmountsAreExact()
    {
        const query::ListSum sum = query::readListSum(
            content("'time1':'2024-06-01 00:00:00','time2':'2024-06-01 18:30:00','allmoney':'1234567890',"
                    "'refundmoney':'0','ALIPAY':{'money':'5','refundmoney':'16777217'},'WECHAT':{'money':12345}"));
        QCOMPARE(QStringList({sum.time1, sum.time2, sum.received, sum.refunded, sum.alipayMoney, sum.alipayRefund,
                              sum.wechatMoney, sum.wechatRefund}),
                 QStringList({"2024-06-01 00:00:00", "2024-06-01 18:30:00", "￥12345678.90元", "￥0.00元", "￥0.05元",
                              "￥167772.17元", "￥123.45元", "￥0.00元"}));
        const query::ListSum none = query::readListSum("not json");
        QCOMPARE(QStringList({none.time1, none.received}), QStringList({"", "￥0.00元"}));
    }

    void proposedPeriod()
    {
        const QDateTime morning(QDate(2024, 6, 1), QTime(8, 0, 0));
        query::PrintPeriod p =
            query::readPrintTime(content("'time1':'2024-06-01 08:00:00','time2':'2024/06/01 09:00:00'"));
        QCOMPARE(p.time1, morning);
        QVERIFY(!p.time2.isValid()); // another format: that edit keeps its value
        p = query::readPrintTime(content("'time1':'2024-6-1 8:00:00','time2':'2024-06-01 08:00:00'"));
        QVERIFY(!p.time1.isValid());
        QCOMPARE(p.time2, morning);
        p = query::readPrintTime(content("'time1':'2024-02-30 08:00:00','time2':1717200000"));
        QVERIFY(!p.time1.isValid() && !p.time2.isValid());
    }

    // Looking for a charge whose reply was lost: only what may be it is offered.
    void lostChargeCandidates()
    {
        const QDateTime sent(QDate(2026, 12, 8), QTime(9, 0, 0));
        MoneyJournal::Entry charge = MoneyJournal::newEntry(MoneyJournal::Kind::Charge, "1001", 601);
        charge.sentAt = sent.toUTC();
        charge.declined = QStringList{"G"};
        const QDateTime now = sent.addSecs(90);
        // A day either way: a till clock hours off still finds the charge.
        const gateway::ListPayQuery query = paymentcheck::searchQuery(charge, now, 3);
        QCOMPARE(query.shopId, QString("1001"));
        QCOMPARE(query.page, 3);
        QCOMPARE(query.startDate, QString("2026-12-7 09:00:00"));
        QCOMPARE(query.endDate, QString("2026-12-9 09:01:30"));

        const auto order = [](const char* no, const char* money, const char* date, const char* refund = "0") {
            return QString(R"({"out_trade_no":"%1","money":"%2","pay_date":"%3","refundfee":"%4",)"
                           R"("finalinfo":"支付成功","pay_channel":"支付宝","channel":"ALIPAY"})")
                .arg(no, money, date, refund);
        };
        const QByteArray reply =
            QString(R"({"content":{"code":1,"total_page":4,"listpay":[%1,%2,%3,%4,%5,%6,%7,%8,%9]}})")
                .arg(order("A", "601", "2026-12-08 09:00:20"),        // it
                     order("B", "602", "2026-12-08 09:00:21"),        // another amount
                     order("C", "601", "2026-12-07 08:40:00"),        // the day before
                     order("D", "601", "2026-12-08 09:00:30", "601"), // refunded
                     order("E", "601", "2026-12-08 09:01:00"),        // seen complete
                     order("F", "601", "not a time"),                 // cannot tell: asked
                     order("", "601", "2026-12-08 09:00:40"),         // no order number
                     order("G", "601", "2026-12-08 09:00:50"))        // declined before
                .arg(order("H", "601", "2026-12-08 12:10:00"))        // the gateway's clock 3 h ahead
                .toUtf8();
        const paymentcheck::Search found = paymentcheck::search(reply, charge, now, {"E"});
        QVERIFY(found.answered);
        QCOMPARE(found.totalPages, 4);
        QStringList numbers;
        for (const QJsonObject& candidate : found.candidates)
            numbers << candidate.value("out_trade_no").toString();
        QCOMPARE(numbers, (QStringList{"A", "F", "H"}));

        // No list is no answer: nothing can be said about the charge.
        for (const char* bad : {"", "{}", "<html>500</html>", R"({"content":{"code":0,"msg":"x","listpay":[]}})",
                                R"({"content":{"code":1,"listpay":{}}})"})
            QVERIFY2(!paymentcheck::search(bad, charge, now, {}).answered, bad);

        // Shown as the trade result of a scan-pay: the channel's own name and amount type, the way
        // of payment as the list names it, and who collected it.
        const QJsonObject alipay = paymentcheck::tradeResultContent(found.candidates.at(0), "张晓梅");
        QCOMPARE(alipay.value("pay_channel").toString(), QString("ALIPAY"));
        QCOMPARE(alipay.value("money").toDouble(), 601.0);
        QCOMPARE(alipay.value("operator").toString(), QString("张晓梅"));
        QCOMPARE(alipay.value("pay_method").toString(), QString("支付宝"));
        const QJsonObject wechat =
            paymentcheck::tradeResultContent(QJsonObject{{"money", "601"}, {"pay_channel", "微信支付"}}, "x");
        QCOMPARE(wechat.value("pay_channel").toString(), QString("WEIXIN"));
        QCOMPARE(wechat.value("money").toString(), QString("601"));
        QCOMPARE(wechat.value("pay_method").toString(), QString("微信"));
        const QJsonObject jd = paymentcheck::tradeResultContent(
            QJsonObject{{"money", "601"}, {"pay_channel", "京东支付"}, {"channel", "JDPAY"}}, "x");
        QCOMPARE(jd.value("pay_method").toString(), QString("京东支付"));
        QCOMPARE(jd.value("money").toString(), QString("601"));
        QVERIFY(paymentcheck::question(found.candidates.at(0), charge, true).contains("这是本次收款吗"));
        const QString earlier = paymentcheck::question(found.candidates.at(0), charge, false);
        QVERIFY2(earlier.contains("￥6.01") && earlier.contains("09:00:00") && earlier.contains("这是那一笔收款吗"),
                 qPrintable(earlier));
    }
};

QTEST_GUILESS_MAIN(TestQueryReplies)
#include "tst_queryreplies.moc"
