#include "net/PaymentCheck.h"

#include "core/Money.h"
#include "net/GatewayReply.h"
#include "net/QueryReplies.h"

#include <QJsonArray>

namespace paymentcheck {

namespace {
// The transaction list's time format ("2026-12-8 09:05:00").
const QString kQueryTimeFormat = QStringLiteral("yyyy-M-d hh:mm:ss");
const QString kPayDateFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");

QDateTime periodStart(const MoneyJournal::Entry& charge)
{
    return charge.sentAt.toLocalTime().addSecs(-kClockSlackSeconds);
}

QDateTime periodEnd(const QDateTime& now)
{
    return now.toLocalTime().addSecs(kClockSlackSeconds);
}
} // namespace

gateway::ListPayQuery searchQuery(const MoneyJournal::Entry& charge, const QDateTime& now, int page)
{
    gateway::ListPayQuery query;
    query.page = page;
    query.shopId = charge.shopId;
    query.startDate = periodStart(charge).toString(kQueryTimeFormat);
    query.endDate = periodEnd(now).toString(kQueryTimeFormat);
    return query;
}

Search search(const QByteArray& listPayReply, const MoneyJournal::Entry& charge, const QDateTime& now,
              const QSet<QString>& excluded)
{
    Search result;
    const QJsonObject content = gateway::replyContent(listPayReply);
    const QJsonValue list = content.value(QStringLiteral("listpay"));
    // A refusal ("code" other than 1), a list longer than a page or anything without the list is no
    // answer at all: nothing can be said about the charge.
    if (!list.isArray() || !query::answersQuery(listPayReply))
        return result;
    result.answered = true;
    result.totalPages = query::readListPay(listPayReply).totalPages;
    const QDateTime from = periodStart(charge);
    const QDateTime to = periodEnd(now);
    for (const QJsonValue& value : list.toArray()) {
        const QJsonObject object = value.toObject();
        const query::Order order = query::readOrder(object);
        if (order.moneyFen != charge.fen || order.refundFen != 0 || order.refunded() || order.outTradeNo.isEmpty() ||
            excluded.contains(order.outTradeNo) || charge.declined.contains(order.outTradeNo))
            continue;
        const QDateTime paid = QDateTime::fromString(order.payDate, kPayDateFormat);
        if (paid.isValid() && (paid < from || paid > to))
            continue;
        result.candidates.append(object);
    }
    return result;
}

QJsonObject tradeResultContent(const QJsonObject& order, const QString& operatorName)
{
    QJsonObject content = order;
    // The list names the channel for people ("支付宝") and keeps the gateway's name in "channel".
    const QString shown = gateway::jsonText(order.value(QStringLiteral("pay_channel")));
    QString channel = gateway::jsonText(order.value(QStringLiteral("channel")));
    if (channel.isEmpty())
        channel = shown == QStringLiteral("支付宝") ? QStringLiteral("ALIPAY") : QStringLiteral("WEIXIN");
    content.insert(QStringLiteral("pay_channel"), channel);
    // The trade result knows only Alipay and WeChat by the gateway's names; a JD Pay or card
    // payment found in the list is shown and printed the way the list names it.
    if (!shown.isEmpty())
        content.insert(QStringLiteral("pay_method"),
                       shown == QStringLiteral("微信支付") ? QStringLiteral("微信") : shown);
    if (!content.contains(QStringLiteral("operator")))
        content.insert(QStringLiteral("operator"), operatorName);
    const qint64 fen = query::readOrder(order).moneyFen;
    if (channel == QLatin1String("ALIPAY"))
        content.insert(QStringLiteral("money"), double(fen));
    else
        content.insert(QStringLiteral("money"), QString::number(fen));
    return content;
}

QString question(const QJsonObject& object, const MoneyJournal::Entry& charge, bool sameSale)
{
    const query::Order order = query::readOrder(object);
    const QString found = QStringLiteral("时间：%1\n金额：￥%2\n订单号：%3\n\n")
                              .arg(order.payDate, money::formatYuan(order.moneyFen), order.outTradeNo);
    // Asked with the mouse only: a scanner's Return must never settle a sale with someone else's
    // payment of the same amount.
    if (sameSale)
        return QStringLiteral("上一次收款没有收到网关的结果，但网关上有一笔相同金额的收款：\n\n") + found +
               QStringLiteral("这是本次收款吗？（同一门店的其他收银台也可能收了相同的金额，请与顾客核对）");
    return QStringLiteral("%1 的一笔 ￥%2 收款没有收到网关的结果，网关上有一笔相同金额的收款：\n\n")
               .arg(charge.sentAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                    money::formatYuan(charge.fen)) +
           found + QStringLiteral("这是那一笔收款吗？（请与顾客或交易列表核对）");
}

} // namespace paymentcheck
