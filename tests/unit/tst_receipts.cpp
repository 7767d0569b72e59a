// The payment and print-order receipts, pinned fragment by fragment. The expected texts are written
// out here in full rather than assembled from the builders' own pieces, so a slip in a shared piece
// shows up as a difference.

#include "net/QueryReplies.h"
#include "print/PrintOrders.h"
#include "print/ReceiptDocuments.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTextDocument>
#include <QtTest>

namespace {

const QString kHotline = QStringLiteral("400-800-1234");

QString spaces(int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += "&nbsp;";
    return s;
}

// The fixed head of the 50px receipts.
QString largeHead()
{
    return "<html> <p style='font-size: 50px;'>&nbsp;&nbsp; 岚客门店</p> <br> "
           "<a style='font-family:微软雅黑;font-size:20px;'>" +
           spaces(25) +
           "移动收银台</a><br><a><font size='8'>-------------------------</font></a>"
           "<br><a style='font-family:微软雅黑;font-size:20px;'>商户存根" +
           spaces(13) + "SHOP" + spaces(5) + "COPY</a><br><a><font size='8'>-------------------------</font></a>";
}

// The whole 50px receipt with its seven values put in as given (already escaped where they need it).
QString largeReceipt(const QStringList& v, const QString& hotline = kHotline)
{
    return largeHead() + "<br><a style='font-family:微软雅黑;font-size:20px;'>收款门店：" + v[0] +
           "</a><br><a style='font-family:微软雅黑;font-size:20px;'>操作员：" + v[1] +
           "</a><br><a style='font-family:微软雅黑;font-size:20px;'>交易时间：" + v[2] +
           "</a><br><a style='font-family:微软雅黑;font-size:20px;'>系统单号：" + v[3] +
           "</a><br><a style='font-family:微软雅黑;font-size:28px;font-weight:bold;'>支付方式：" + v[4] +
           "</a><br><a style='font-family:微软雅黑;font-size:28px;font-weight:bold;'>交易金额(RMB)：￥" + v[5] +
           "</a><br><a><font size='8'>-------------------------</font></a>"
           "<br><a style='font-family:微软雅黑;font-size:20px;'>备注：</a>"
           "<br><a style='font-family:微软雅黑;font-size:20px;'>交易订单号：</a>"
           "<br><a style='font-family:微软雅黑;font-size:20px;'>" +
           v[6] +
           "</a><br><a style='font-family:微软雅黑;font-size:20px;'>持卡人签名(CARDHOLDER SIGNATURE)</a>"
           "<br><br><br><br><a><font size='8'>-------------------------</font></a>"
           "<br><a style='font-family:微软雅黑;font-size:20px;'>本人确认以上交易，同意将其计入交易账户</a>"
           "<br><a style='font-family:微软雅黑;font-size:20px;'>客服电话：" +
           hotline + "</a></html>";
}

// The compact head of reprints and refund receipts, with the title after `n` spaces.
QString compactHead(int n, const QString& title)
{
    return "<html> <p style='font-size: 30px;'>&nbsp;&nbsp; 岚客门店</p> <br> "
           "<a style='font-family:微软雅黑;font-size:23px;'>" +
           spaces(n) + title +
           "</a><br><a><font size='8'>-------------------------</font></a>"
           "<br><a style='font-family:微软雅黑;font-size:23px;'>商户存根" +
           spaces(15) + "SHOP" + spaces(5) + "COPY</a><br><a><font size='8'>-------------------------</font></a>";
}

// A reprint or refund receipt: v = shop, operator, time, system order number, method, amount, item,
// refunded amount, trade order number. `tail` joins the refunded amount to the rule.
QString compactOrderReceipt(const QString& head, const QString& amountLabel, const QString& itemLabel,
                            const QString& tail, const QStringList& v)
{
    return head + "<br><a style='font-family:微软雅黑;font-size:23px;'>收款门店：" + v[0] +
           "</a><br><a style='font-family:微软雅黑;font-size:23px;'>操作员：" + v[1] +
           "</a><br><a style='font-family:微软雅黑;font-size:23px;'>交易时间：" + v[2] +
           "</a><br><a style='font-family:微软雅黑;font-size:23px;'>系统单号：" + v[3] +
           "</a><br><a style='font-family:微软雅黑;font-size:23px;'>支付方式：" + v[4] +
           "</a><br><a style='font-family:微软雅黑;font-size:30px;'>" + amountLabel + v[5] +
           "</a><br><a style='font-family:微软雅黑;font-size:23px;'>" + itemLabel + v[6] +
           "</a><br><a style='font-family:微软雅黑;font-size:30px;'>退款金额(RMB)：￥" + v[7] + tail +
           "<br><a style='font-family:微软雅黑;font-size:23px;'>备注：</a>"
           "<br><a style='font-family:微软雅黑;font-size:23px;'>交易订单号：</a>"
           "<br><a style='font-family:微软雅黑;font-size:23px;'>" +
           v[8] +
           "</a><br><a style='font-family:微软雅黑;font-size:20px;'>持卡人签名(CARDHOLDER SIGNATURE)</a>"
           "<br><br><br><br><a><font size='8'>-------------------------</font></a>"
           "<br><a style='font-family:微软雅黑;font-size:20px;'>本人确认以上交易，同意将其计入交易账户</a>"
           "<br><a style='font-family:微软雅黑;font-size:23px;'>客服电话：" +
           kHotline + "</a></html>";
}

QJsonObject listedOrder(const QString& finalInfo)
{
    return QJsonObject{{"trade_no", "4200000001"},
                       {"out_trade_no", "SO1001"},
                       {"money", "2000000"},
                       {"refundfee", "1250"},
                       {"pay_channel", "支付宝"},
                       {"finalinfo", finalInfo},
                       {"pay_date", "2024-06-01 12:00:00"},
                       {"shopname", "青禾<茶>"},
                       {"cardno", "8801,8802"}};
}

receipt::Payment samplePayment()
{
    return {"青禾茶餐厅西湖文化广场店", "张晓梅", "2024-06-01 12:00:00", "SO202406010001", "微信", 1234,
            "4200000001202406011234"};
}

// JSON written with single quotes, for readability.
QByteArray json(const char* text)
{
    return QByteArray(text).replace('\'', '"');
}

QJsonObject order(const QByteArray& text)
{
    return QJsonDocument::fromJson(text).object();
}

QList<QString> orderNums(const QList<QJsonObject>& orders)
{
    QList<QString> nums;
    for (const QJsonObject& o : orders)
        nums.append(o.value("order_num").toString());
    return nums;
}

} // namespace

class TestReceipts : public QObject
{
    Q_OBJECT

private slots:
    void paymentReceiptFragmentByFragment()
    {
        QCOMPARE(receipt::paymentReceipt(samplePayment(), kHotline),
                 largeReceipt({"青禾茶餐厅西湖文化广场店", "张晓梅", "2024-06-01 12:00:00", "SO202406010001", "微信",
                               "12.34", "4200000001202406011234"}));
    }

    void paymentAmountIsYuanFromFen_data()
    {
        QTest::addColumn<qint64>("fen");
        QTest::addColumn<QString>("shown");
        QTest::newRow("12.34") << qint64(1234) << "12.34";
        QTest::newRow("five fen") << qint64(5) << "0.05";
        QTest::newRow("whole yuan") << qint64(100) << "1.00";
        QTest::newRow("zero") << qint64(0) << "0.00";
        QTest::newRow("beyond double precision") << qint64(99999999999999999) << "999999999999999.99";
    }
    void paymentAmountIsYuanFromFen()
    {
        QFETCH(qint64, fen);
        QFETCH(QString, shown);
        receipt::Payment p = samplePayment();
        p.amountFen = fen;
        const QString html = receipt::paymentReceipt(p, kHotline);
        const QString line = "交易金额(RMB)：￥" + shown + "</a>";
        QVERIFY2(html.contains(line), qPrintable(html));
    }

    void printOrderReceiptTakesEveryValueAsSent()
    {
        // No formatting of its own: the amount stays "12.5", the method and time as the gateway wrote them.
        const QJsonObject o =
            order(json("{'sname':'青禾茶餐厅','uname':'李建国','created_time':'2024/6/1 12:00',"
                       "'order_num':'P20240601001','pay_type':'微信支付','pay_money':'12.5','pay_num':'4200000001'}"));
        QCOMPARE(
            receipt::printOrderReceipt(o, "0571-1234"),
            largeReceipt({"青禾茶餐厅", "李建国", "2024/6/1 12:00", "P20240601001", "微信支付", "12.5", "4200000001"},
                         "0571-1234"));
    }

    void printOrderWithMissingMembersPrintsEmptyLines()
    {
        // Without "pay_num" the line under "交易订单号：" is empty; the rest is still a whole receipt.
        const QJsonObject o = order(json("{'sname':'S','uname':'U','created_time':'T','order_num':'N',"
                                         "'pay_type':'M','pay_money':'1.00'}"));
        QCOMPARE(receipt::printOrderReceipt(o, kHotline), largeReceipt({"S", "U", "T", "N", "M", "1.00", ""}));
        QCOMPARE(receipt::printOrderReceipt(QJsonObject(), kHotline), largeReceipt({"", "", "", "", "", "", ""}));
    }

    void printOrderNumbersSentAsJsonNumbersStillPrint()
    {
        // A gateway that types the amount or the order number as a number must not print them empty.
        const QJsonObject o = order(json("{'order_num':20240601001,'pay_money':1250,'pay_num':'x'}"));
        QCOMPARE(receipt::printOrderReceipt(o, kHotline), largeReceipt({"", "", "", "20240601001", "", "1250", "x"}));
    }

    void valuesAreEscapedFixedFragmentsAreNot()
    {
        // A shop name with markup must neither break the receipt nor forge lines of its own.
        receipt::Payment p = samplePayment();
        p.shopName = "A&B <b>茶</b>";
        p.operatorName = "O'Neil \"Jr\"";
        p.payTime = "</a><br><a>交易金额(RMB)：￥0.01";
        p.systemOrderNo = "&amp;";
        p.payMethod = "<script>";
        p.tradeOrderNo = "1<2";
        const QString expected = largeReceipt({"A&amp;B &lt;b&gt;茶&lt;/b&gt;", "O'Neil &quot;Jr&quot;",
                                               "&lt;/a&gt;&lt;br&gt;&lt;a&gt;交易金额(RMB)：￥0.01", "&amp;amp;",
                                               "&lt;script&gt;", "12.34", "1&lt;2"},
                                              "400&lt;800&gt;");
        QCOMPARE(receipt::paymentReceipt(p, "400<800>"), expected);

        const QJsonObject o{{"sname", p.shopName},          {"uname", p.operatorName}, {"created_time", p.payTime},
                            {"order_num", p.systemOrderNo}, {"pay_type", p.payMethod}, {"pay_money", "12.34"},
                            {"pay_num", p.tradeOrderNo}};
        QCOMPARE(receipt::printOrderReceipt(o, "400<800>"), expected);
    }

    void escapedMarkupRendersAsText()
    {
        // What the printer lays out: the shop name as typed, and the forged line as plain text.
        receipt::Payment p = samplePayment();
        p.shopName = "A&B <b>茶</b>";
        p.payTime = "</a><br><a>交易金额(RMB)：￥0.01";
        QTextDocument document;
        document.setHtml(receipt::paymentReceipt(p, kHotline));
        const QString text = document.toPlainText();
        QVERIFY2(text.contains("收款门店：A&B <b>茶</b>"), qPrintable(text));
        QCOMPARE(text.count("交易金额(RMB)："), 2); // the real line, and the forged one shown as plain text
        QVERIFY(text.contains("交易时间：</a><br><a>交易金额(RMB)：￥0.01"));
    }

    void compactLayoutForTheOtherReceipts()
    {
        // Reprints, refunds and the summary: 30px brand, 23px body, 15 spaces in the copy line,
        // plain 30px amounts; the signature block stays 20px.
        QCOMPARE(receipt::head(receipt::kCompactStyle, 19, "收银汇总"),
                 "<html> <p style='font-size: 30px;'>&nbsp;&nbsp; 岚客门店</p> <br> "
                 "<a style='font-family:微软雅黑;font-size:23px;'>" +
                     spaces(19) +
                     "收银汇总</a><br><a><font size='8'>-------------------------</font></a>"
                     "<br><a style='font-family:微软雅黑;font-size:23px;'>商户存根" +
                     spaces(15) + "SHOP" + spaces(5) +
                     "COPY</a><br><a><font size='8'>-------------------------</font></a>");
        QCOMPARE(receipt::openLines(receipt::kCompactStyle,
                                    {{"支付方式：", "微信支付"}, {"交易金额(RMB)：￥", "1.00", true}}),
                 "<br><a style='font-family:微软雅黑;font-size:23px;'>支付方式：微信支付"
                 "</a><br><a style='font-family:微软雅黑;font-size:30px;'>交易金额(RMB)：￥1.00");
        QCOMPARE(receipt::closingBlock(receipt::kCompactStyle, "T<1>"),
                 "<br><a style='font-family:微软雅黑;font-size:23px;'>备注：</a>"
                 "<br><a style='font-family:微软雅黑;font-size:23px;'>交易订单号：</a>"
                 "<br><a style='font-family:微软雅黑;font-size:23px;'>T&lt;1&gt;</a>"
                 "<br><a style='font-family:微软雅黑;font-size:20px;'>持卡人签名(CARDHOLDER SIGNATURE)</a>"
                 "<br><br><br><br><a><font size='8'>-------------------------</font></a>"
                 "<br><a style='font-family:微软雅黑;font-size:20px;'>本人确认以上交易，同意将其计入交易账户</a>");
        QCOMPARE(receipt::hotlineLine(receipt::kCompactStyle, "400"),
                 "<br><a style='font-family:微软雅黑;font-size:23px;'>客服电话：400</a>");
    }

    void reprintTitleFollowsTheRefundState_data()
    {
        QTest::addColumn<QString>("finalInfo");
        QTest::addColumn<QString>("head");
        const QString plain = compactHead(19, "移动收银台(重打印)");
        const QString refunded = compactHead(15, "移动收银台(重打印)-退款");
        QTest::newRow("paid") << "支付成功" << plain;
        QTest::newRow("refunded in part") << "退款成功" << refunded;
        QTest::newRow("refunded in full") << "已退款,交易关闭" << refunded;
    }
    void reprintTitleFollowsTheRefundState()
    {
        QFETCH(QString, finalInfo);
        QFETCH(QString, head);
        const QString rule = "</a><br><a><font size='8'>-------------------------</font></a>";
        QCOMPARE(receipt::reprintReceipt(query::readOrder(listedOrder(finalInfo)), "张&晓梅", kHotline),
                 compactOrderReceipt(head, "交易金额(RMB)：￥", "房间号：", rule,
                                     {"青禾&lt;茶&gt;", "张&amp;晓梅", "2024-06-01 12:00:00", "SO1001", "支付宝",
                                      "20000.00", "8801,8802", "12.50", "4200000001"}));
    }

    void refundReceiptPrintsTheAmountSent()
    {
        // The amount of this refund in two decimals, whatever the order refunded before; the rule under
        // it on a line of its own.
        const QString rule = "</a><br><a><font size='8'>-------------------------</font></a>";
        QCOMPARE(receipt::refundReceipt(query::readOrder(listedOrder("支付成功")), "张晓梅", 500, kHotline),
                 compactOrderReceipt(compactHead(15, "移动收银台(重打印)-退款"), "订单金额(RMB)：￥", "手牌号：", rule,
                                     {"青禾&lt;茶&gt;", "张晓梅", "2024-06-01 12:00:00", "SO1001", "支付宝", "20000.00",
                                      "8801,8802", "5.00", "4200000001"}));
    }

    void cashierSummaryLineByLine()
    {
        receipt::CashierSummary s;
        s.shopName = "青禾茶餐厅A&B";
        s.operatorName = "张晓梅";
        s.startTime = "2024-06-01 00:00:00";
        s.endTime = "2024-06-01 18:30:00";
        s.alipayMoney = "￥1.00元";
        s.alipayRefund = "￥0.00元";
        s.wechatMoney = "￥12345678.90元";
        s.wechatRefund = "￥0.05元";
        s.received = "￥12345679.85元";
        s.refunded = "￥0.05元";
        const QString a = "<br><a style='font-family:微软雅黑;font-size:23px;'>";
        const QString rule = "<br><a><font size='8'>-------------------------</font></a>";
        QCOMPARE(receipt::cashierSummaryReceipt(s, QDateTime(QDate(2024, 6, 1), QTime(18, 31, 5)), kHotline),
                 compactHead(19, "收银汇总") + a + "门店名称：青禾茶餐厅A&amp;B</a>" + a + "操作人员：张晓梅</a>" + a +
                     "开始时间：2024-06-01 00:00:00</a>" + a + "结束时间：2024-06-01 18:30:00</a>" + rule + a +
                     "支付宝金额：￥1.00元</a>" + a + "支付宝退款：￥0.00元</a>" + a + "微信金额：￥12345678.90元</a>" +
                     a + "微信退款：￥0.05元</a>" + rule + a + "交易总金额：￥12345679.85元</a>" + a +
                     "退款总金额：￥0.05元</a>" + a + "打印时间：2024.06.01 18:31:05</a>" + a + "客服电话：" +
                     kHotline + "</a></html>");
    }

    void layoutPageIsThePrinterPageInReceiptPrinterDots_data()
    {
        QTest::addColumn<QSizeF>("millimetres");
        QTest::addColumn<int>("dpiX");
        QTest::addColumn<int>("dpiY");
        QTest::addColumn<QSizeF>("expected");
        // Receipt printers: the page in the printer's own dots, so 80 mm paper wraps at 639 dots.
        QTest::newRow("80 mm at 203 dpi") << QSizeF(80, 297) << 203 << 203 << QSizeF(80 * 203 / 25.4, 297 * 203 / 25.4);
        QTest::newRow("58 mm at 180 dpi") << QSizeF(58, 200) << 180 << 180 << QSizeF(58 * 180 / 25.4, 200 * 180 / 25.4);
        // Finer printers keep the receipt's size on paper.
        QTest::newRow("A4 at 1200 dpi") << QSizeF(210, 297) << 1200 << 1200
                                        << QSizeF(210 * 203 / 25.4, 297 * 203 / 25.4);
        QTest::newRow("600 x 300 dpi") << QSizeF(210, 297) << 600 << 180 << QSizeF(210 * 203 / 25.4, 297 * 180 / 25.4);
    }
    void layoutPageIsThePrinterPageInReceiptPrinterDots()
    {
        QFETCH(QSizeF, millimetres);
        QFETCH(int, dpiX);
        QFETCH(int, dpiY);
        QFETCH(QSizeF, expected);
        const QSizeF page = receipt::layoutPageSize(millimetres, dpiX, dpiY);
        QVERIFY2(qAbs(page.width() - expected.width()) < 1e-9 && qAbs(page.height() - expected.height()) < 1e-9,
                 qPrintable(QString("%1 x %2").arg(page.width()).arg(page.height())));
    }

    void printOrdersGatedByNumAsText_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("printed");
        const QByteArray three = json("'list':[{'order_num':'A'},{'order_num':'B'},{'order_num':'C'}]");
        QTest::newRow("num 0") << json("{'content':{'num':'0',") + three + "}}" << QStringList();
        QTest::newRow("no num") << json("{'content':{") + three + "}}" << QStringList();
        QTest::newRow("num empty") << json("{'content':{'num':'',") + three + "}}" << QStringList();
        QTest::newRow("num negative") << json("{'content':{'num':'-1',") + three + "}}" << QStringList();
        QTest::newRow("num not a number") << json("{'content':{'num':'two',") + three + "}}" << QStringList();
        QTest::newRow("num a JSON number") << json("{'content':{'num':3,") + three + "}}" << QStringList();
        QTest::newRow("num only gates") << json("{'content':{'num':'2',") + three + "}}" << QStringList{"A", "B", "C"};
        QTest::newRow("num larger than list")
            << json("{'content':{'num':'9',") + three + "}}" << QStringList{"A", "B", "C"};
        QTest::newRow("non-objects left out")
            << (json("{'content':{'num':'3','list':['A',7,null,{'order_num':'D'}]}}")) << QStringList{"D"};
        QTest::newRow("list not an array")
            << (json("{'content':{'num':'1','list':{'order_num':'E'}}}")) << QStringList();
        QTest::newRow("not JSON") << QByteArray("<html>502 Bad Gateway</html>") << QStringList();
        QByteArray many;
        QStringList allPrinted;
        for (int i = 0; i <= printorders::kMaxOrdersPerPoll; ++i) {
            many += (i ? "," : "") + json("{'order_num':'N%1'}").replace("%1", QByteArray::number(i));
            allPrinted << QStringLiteral("N%1").arg(i);
        }
        allPrinted.removeLast();
        QTest::newRow("as many as one poll prints")
            << json("{'content':{'num':'1','list':[") + many.left(many.lastIndexOf(',')) + "]}}" << allPrinted;
        QTest::newRow("more than one poll prints")
            << json("{'content':{'num':'1','list':[") + many + "]}}" << QStringList();
    }
    void printOrdersGatedByNumAsText()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, printed);
        QCOMPARE(orderNums(printorders::ordersInReply(reply)), printed);
    }
};

QTEST_MAIN(TestReceipts)
#include "tst_receipts.moc"
