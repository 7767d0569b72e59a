#include "print/ReceiptDocuments.h"

#include "core/Money.h"
#include "net/GatewayReply.h"
#include "net/QueryReplies.h"

namespace receipt {

namespace {

const QString kTitle = QStringLiteral("移动收银台");
constexpr int kTitleNbsp = 25;

// The payment receipt and the print-order receipt differ only in where their values come from.
QString largeReceipt(const QVector<Line>& lines, const QString& tradeOrderNo, const QString& hotline)
{
    return head(kLargeStyle, kTitleNbsp, kTitle) + openLines(kLargeStyle, lines) + QStringLiteral("</a>") +
           separator() + closingBlock(kLargeStyle, tradeOrderNo) + hotlineLine(kLargeStyle, hotline) + end();
}

QVector<Line> largeReceiptLines(const QString& shop, const QString& operatorName, const QString& time,
                                const QString& systemOrderNo, const QString& method, const QString& amountYuan)
{
    return {
        {QStringLiteral("收款门店："), shop},         {QStringLiteral("操作员："), operatorName},
        {QStringLiteral("交易时间："), time},         {QStringLiteral("系统单号："), systemOrderNo},
        {QStringLiteral("支付方式："), method, true}, {QStringLiteral("交易金额(RMB)：￥"), amountYuan, true},
    };
}

// The reprint and the refund receipt: the same order lines on the compact layout; they differ in the
// title, two captions, the refunded amount and how the rule follows it.
struct OrderReceiptKind
{
    int titleNbsp;
    QString title;
    QString amountLabel;
    QString itemLabel;
    QString ruleAfterAmounts;
};

QString compactOrderReceipt(const OrderReceiptKind& kind, const query::Order& order, const QString& operatorName,
                            qint64 refundFen, const QString& hotline)
{
    const QVector<Line> lines{
        {QStringLiteral("收款门店："), order.shopName},
        {QStringLiteral("操作员："), operatorName},
        {QStringLiteral("交易时间："), order.payDate},
        {QStringLiteral("系统单号："), order.outTradeNo},
        {QStringLiteral("支付方式："), order.payChannel},
        {kind.amountLabel, money::formatYuan(order.moneyFen), true},
        {kind.itemLabel, order.cardNo},
        {QStringLiteral("退款金额(RMB)：￥"), money::formatYuan(refundFen), true},
    };
    return head(kCompactStyle, kind.titleNbsp, kind.title) + openLines(kCompactStyle, lines) + kind.ruleAfterAmounts +
           closingBlock(kCompactStyle, order.tradeNo) + hotlineLine(kCompactStyle, hotline) + end();
}

const QString kRefundTitle = QStringLiteral("移动收银台(重打印)-退款");
constexpr int kRefundTitleNbsp = 15;

} // namespace

QString nbsp(int count)
{
    return QStringLiteral("&nbsp;").repeated(qMax(count, 0));
}

QString rule()
{
    return QStringLiteral("<a><font size='8'>-------------------------</font></a>");
}

QString separator()
{
    return QStringLiteral("<br>") + rule();
}

QString anchor(int px, bool bold)
{
    return QStringLiteral("<a style='font-family:微软雅黑;font-size:%1px;%2'>")
        .arg(px)
        .arg(bold ? QStringLiteral("font-weight:bold;") : QString());
}

QString head(const Style& style, int titleNbsp, const QString& title)
{
    return QStringLiteral("<html> <p style='font-size: %1px;'>&nbsp;&nbsp; 岚客门店</p> <br> ").arg(style.headerPx) +
           anchor(style.bodyPx) + nbsp(titleNbsp) + title + QStringLiteral("</a>") + separator() +
           QStringLiteral("<br>") + anchor(style.bodyPx) + QStringLiteral("商户存根") + nbsp(style.copyLineNbsp) +
           QStringLiteral("SHOP") + nbsp(5) + QStringLiteral("COPY</a>") + separator();
}

QString openLines(const Style& style, const QVector<Line>& lines)
{
    QString html;
    for (int i = 0; i < lines.size(); ++i) {
        const Line& line = lines.at(i);
        const bool bold = line.emphasised && style.emphasisBold;
        html += (i == 0 ? QStringLiteral("<br>") : QStringLiteral("</a><br>")) +
                anchor(line.emphasised ? style.emphasisPx : style.bodyPx, bold) + line.label +
                line.value.toHtmlEscaped();
    }
    return html;
}

QString closedLine(int px, const QString& label, const QString& value)
{
    return QStringLiteral("<br>") + anchor(px) + label + value.toHtmlEscaped() + QStringLiteral("</a>");
}

QString closingBlock(const Style& style, const QString& tradeOrderNo)
{
    // Three empty lines under the signature label leave room to sign.
    return closedLine(style.bodyPx, QStringLiteral("备注："), QString()) +
           closedLine(style.bodyPx, QStringLiteral("交易订单号："), QString()) +
           closedLine(style.bodyPx, QString(), tradeOrderNo) +
           closedLine(kSignaturePx, QStringLiteral("持卡人签名(CARDHOLDER SIGNATURE)"), QString()) +
           QStringLiteral("<br><br><br>") + separator() +
           closedLine(kSignaturePx, QStringLiteral("本人确认以上交易，同意将其计入交易账户"), QString());
}

QString hotlineLine(const Style& style, const QString& hotline)
{
    return closedLine(style.bodyPx, QStringLiteral("客服电话："), hotline);
}

QString end()
{
    return QStringLiteral("</html>");
}

QString paymentReceipt(const Payment& payment, const QString& hotline)
{
    return largeReceipt(largeReceiptLines(payment.shopName, payment.operatorName, payment.payTime,
                                          payment.systemOrderNo, payment.payMethod,
                                          money::formatYuan(payment.amountFen)),
                        payment.tradeOrderNo, hotline);
}

QSizeF layoutPageSize(const QSizeF& pageMillimetres, int dpiX, int dpiY)
{
    constexpr double kMillimetresPerInch = 25.4;
    return QSizeF(pageMillimetres.width() / kMillimetresPerInch * qMin(dpiX, kMaxLayoutDpi),
                  pageMillimetres.height() / kMillimetresPerInch * qMin(dpiY, kMaxLayoutDpi));
}

QString printOrderReceipt(const QJsonObject& order, const QString& hotline)
{
    const auto text = [&order](const char* key) { return gateway::jsonText(order.value(QLatin1String(key))); };
    return largeReceipt(largeReceiptLines(text("sname"), text("uname"), text("created_time"), text("order_num"),
                                          text("pay_type"), text("pay_money")),
                        text("pay_num"), hotline);
}

QString reprintReceipt(const Order& o, const QString& operatorName, const QString& hotline)
{
    const OrderReceiptKind kind{
        o.refunded() ? kRefundTitleNbsp : 19, o.refunded() ? kRefundTitle : QStringLiteral("移动收银台(重打印)"),
        QStringLiteral("交易金额(RMB)：￥"), QStringLiteral("房间号："), QStringLiteral("</a>") + separator()};
    return compactOrderReceipt(kind, o, operatorName, o.refundFen, hotline);
}

QString refundReceipt(const Order& order, const QString& operatorName, qint64 refundFen, const QString& hotline)
{
    // The rule under the refunded amount stands on a line of its own, as on every other slip: run on
    // after the amount it was cut off at the paper's edge.
    const OrderReceiptKind kind{kRefundTitleNbsp, kRefundTitle, QStringLiteral("订单金额(RMB)：￥"),
                                QStringLiteral("手牌号："), QStringLiteral("</a>") + separator()};
    return compactOrderReceipt(kind, order, operatorName, refundFen, hotline);
}

QString cashierSummaryReceipt(const CashierSummary& summary, const QDateTime& printedAt, const QString& hotline)
{
    const int px = kCompactStyle.bodyPx;
    return head(kCompactStyle, 19, QStringLiteral("收银汇总")) +
           closedLine(px, QStringLiteral("门店名称："), summary.shopName) +
           closedLine(px, QStringLiteral("操作人员："), summary.operatorName) +
           closedLine(px, QStringLiteral("开始时间："), summary.startTime) +
           closedLine(px, QStringLiteral("结束时间："), summary.endTime) + separator() +
           closedLine(px, QStringLiteral("支付宝金额："), summary.alipayMoney) +
           closedLine(px, QStringLiteral("支付宝退款："), summary.alipayRefund) +
           closedLine(px, QStringLiteral("微信金额："), summary.wechatMoney) +
           closedLine(px, QStringLiteral("微信退款："), summary.wechatRefund) + separator() +
           closedLine(px, QStringLiteral("交易总金额："), summary.received) +
           closedLine(px, QStringLiteral("退款总金额："), summary.refunded) +
           closedLine(px, QStringLiteral("打印时间："), printedAt.toString(QStringLiteral("yyyy.MM.dd hh:mm:ss"))) +
           hotlineLine(kCompactStyle, hotline) + end();
}

} // namespace receipt
