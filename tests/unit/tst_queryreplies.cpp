// The replies of the transaction query, the refund dialog's item list and the cashier summary.

#include "net/QueryReplies.h"

#include <QtTest>

namespace {

// A reply whose "content" holds `members`, JSON written with single quotes for readability.
QByteArray content(const char* members)
{
    QByteArray reply = "{'content':{" + QByteArray(members) + "}}";
    return reply.replace('\'', '"');
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
};

QTEST_GUILESS_MAIN(TestQueryReplies)
#include "tst_queryreplies.moc"
