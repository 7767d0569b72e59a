#include "net/QueryReplies.h"

#include "core/Money.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"

#include <QJsonArray>

namespace query {

namespace {

// Text as the gateway wrote it, a whole number in plain digits; a boolean, an object or an array
// carries no text to show.
QString text(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isBool() ? QString() : gateway::jsonText(value);
}

qint64 fen(const QJsonObject& object, const char* key)
{
    qint64 value = 0;
    return gateway::jsonFen(object.value(QLatin1String(key)), &value) ? value : 0;
}

QString yuan(const QJsonObject& object, const char* key)
{
    return money::formatYuan(fen(object, key));
}

QString sumLabel(const QJsonObject& object, const char* key)
{
    return query::summaryAmount(fen(object, key));
}

QDateTime proposedTime(const QJsonObject& content, const char* key)
{
    return QDateTime::fromString(content.value(QLatin1String(key)).toString().trimmed(),
                                 QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

} // namespace

Order readOrder(const QJsonObject& order)
{
    Order o;
    o.tradeNo = text(order, "trade_no");
    o.outTradeNo = text(order, "out_trade_no");
    o.payChannel = text(order, "pay_channel");
    o.finalInfo = text(order, "finalinfo");
    o.payDate = text(order, "pay_date");
    o.shopName = text(order, "shopname");
    o.cardNo = text(order, "cardno");
    o.moneyFen = fen(order, "money");
    o.refundFen = fen(order, "refundfee");
    return o;
}

OrderRow orderRow(const Order& order)
{
    OrderRow row;
    row.tradeNo = order.tradeNo;
    row.money = money::formatYuan(order.moneyFen);
    row.refundFee = money::formatYuan(order.refundFen);
    row.payChannel = order.payChannel;
    row.finalInfo = order.finalInfo;
    row.payDate = order.payDate;
    // A refunded order keeps an enabled button: what is left of it may still be refunded.
    if (order.refunded()) {
        row.refundButtonText = QStringLiteral("已退款");
    } else if (order.payChannel == QStringLiteral("刷卡")) {
        row.refundButtonText = QStringLiteral("暂不支持");
        row.refundButtonEnabled = false;
    } else {
        row.refundButtonText = QStringLiteral("退款");
    }
    return row;
}

bool answersQuery(const QByteArray& reply)
{
    if (!gateway::hasContent(reply))
        return false;
    const QJsonObject content = gateway::replyContent(reply);
    const QJsonValue code = content.value(QLatin1String("code"));
    if (!code.isUndefined() && gateway::jsonInt(code) != 1)
        return false;
    // A page holds the orders asked for; thousands in one reply are no page of this query, and the
    // table would take many seconds and hundreds of megabytes to build them.
    const QJsonValue list = content.value(QLatin1String("listpay"));
    return !list.isArray() || list.toArray().size() <= gateway::kListPayPageSize;
}

ListPayPage readListPay(const QByteArray& reply)
{
    const QJsonObject content = gateway::replyContent(reply);
    ListPayPage page;
    page.wechatCount = text(content, "total_wx");
    page.wechatSum = yuan(content, "wechat_tfee");
    page.alipayCount = text(content, "total_al");
    page.alipaySum = yuan(content, "alipay_tfee");
    page.jdCount = text(content, "jdpay_tnum");
    if (page.jdCount.isEmpty())
        page.jdCount = QStringLiteral("0");
    page.jdSum = yuan(content, "jdpay_tfee");
    // "swipingcard_tnum" only says whether card payments are reported; "total_pos" is their count.
    page.cardCount = text(content, "swipingcard_tnum").isEmpty() ? QStringLiteral("0") : text(content, "total_pos");
    page.cardSum = yuan(content, "swipingcard_tfee");
    page.totalCount = text(content, "total_count");
    page.totalSum = yuan(content, "total_fee");
    page.totalRefund = yuan(content, "total_rfee");
    page.totalPages = qMax(gateway::jsonInt(content.value(QLatin1String("total_page"))), 0);

    const QJsonArray list = content.value(QLatin1String("listpay")).toArray();
    for (const QJsonValue& element : list) {
        if (!element.isObject())
            continue;
        page.orders.append(element.toObject());
        page.rows.append(orderRow(readOrder(page.orders.constLast())));
    }
    return page;
}

CardsReply readCards(const QByteArray& reply)
{
    const QJsonObject content = gateway::replyContent(reply);
    CardsReply cards;
    cards.count = qMax(gateway::jsonInt(content.value(QLatin1String("count"))), 0);
    const QJsonArray list = content.value(QLatin1String("cards")).toArray();
    if (list.size() > kMaxItems) {
        cards.tooMany = true;
        return cards;
    }
    for (const QJsonValue& element : list) {
        if (!element.isObject())
            continue;
        const QJsonObject card = element.toObject();
        cards.items.append({text(card, "cardno"), gateway::jsonInt(card.value(QLatin1String("state"))) == 1});
    }
    return cards;
}

QString summaryAmount(qint64 fen)
{
    return QStringLiteral("￥") + money::formatYuan(fen) + QStringLiteral("元");
}

ListSum readListSum(const QByteArray& reply)
{
    const QJsonObject content = gateway::replyContent(reply);
    const QJsonObject alipay = content.value(QLatin1String("ALIPAY")).toObject();
    const QJsonObject wechat = content.value(QLatin1String("WECHAT")).toObject();
    ListSum sum;
    sum.time1 = text(content, "time1");
    sum.time2 = text(content, "time2");
    sum.received = sumLabel(content, "allmoney");
    sum.refunded = sumLabel(content, "refundmoney");
    sum.alipayMoney = sumLabel(alipay, "money");
    sum.alipayRefund = sumLabel(alipay, "refundmoney");
    sum.wechatMoney = sumLabel(wechat, "money");
    sum.wechatRefund = sumLabel(wechat, "refundmoney");
    return sum;
}

PrintPeriod readPrintTime(const QByteArray& reply)
{
    const QJsonObject content = gateway::replyContent(reply);
    return {proposedTime(content, "time1"), proposedTime(content, "time2")};
}

} // namespace query
