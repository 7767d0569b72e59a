#include "net/PaymentCheck.h"

#include "core/Money.h"
#include "net/GatewayReply.h"
#include "net/QueryReplies.h"

#include <QJsonArray>

namespace paymentcheck {

namespace {
UnknownCharge g_pending;

// The transaction list's time format ("2026-12-8 09:05:00").
const QString kQueryTimeFormat = QStringLiteral("yyyy-M-d hh:mm:ss");
const QString kPayDateFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");

QDateTime periodStart(const UnknownCharge& charge)
{
    return charge.sentAt.addSecs(-kClockSlackSeconds);
}

QDateTime periodEnd(const QDateTime& now)
{
    return now.addSecs(kClockSlackSeconds);
}
} // namespace

UnknownCharge pendingCharge()
{
    return g_pending;
}

void setPendingCharge(const UnknownCharge& charge)
{
    g_pending = charge;
}

void clearPendingCharge()
{
    g_pending = UnknownCharge();
}

gateway::ListPayQuery searchQuery(const UnknownCharge& charge, const QDateTime& now)
{
    gateway::ListPayQuery query;
    query.page = 1;
    query.shopId = charge.shopId;
    query.startDate = periodStart(charge).toString(kQueryTimeFormat);
    query.endDate = periodEnd(now).toString(kQueryTimeFormat);
    return query;
}

Search search(const QByteArray& listPayReply, const UnknownCharge& charge, const QDateTime& now,
              const QSet<QString>& excluded)
{
    Search result;
    const QJsonObject content = gateway::replyContent(listPayReply);
    const QJsonValue list = content.value(QStringLiteral("listpay"));
    // A refusal ("code" other than 1) or anything without the list is no answer at all: nothing can
    // be said about the charge.
    if (!list.isArray() ||
        (content.contains(QStringLiteral("code")) && gateway::jsonInt(content.value(QStringLiteral("code"))) != 1))
        return result;
    result.answered = true;
    const QDateTime from = periodStart(charge);
    const QDateTime to = periodEnd(now);
    for (const QJsonValue& value : list.toArray()) {
        const QJsonObject object = value.toObject();
        const query::Order order = query::readOrder(object);
        if (order.moneyFen != charge.fen || order.refundFen != 0 || order.refunded() || order.outTradeNo.isEmpty() ||
            excluded.contains(order.outTradeNo))
            continue;
        const QDateTime paid = QDateTime::fromString(order.payDate, kPayDateFormat);
        if (paid.isValid() && (paid < from || paid > to))
            continue;
        result.candidates.append(object);
    }
    return result;
}

QJsonObject tradeResultContent(const QJsonObject& order)
{
    QJsonObject content = order;
    // The list names the channel for people ("支付宝") and keeps the gateway's name in "channel".
    QString channel = gateway::jsonText(order.value(QStringLiteral("channel")));
    if (channel.isEmpty())
        channel = gateway::jsonText(order.value(QStringLiteral("pay_channel"))) == QStringLiteral("支付宝")
                      ? QStringLiteral("ALIPAY")
                      : QStringLiteral("WEIXIN");
    content.insert(QStringLiteral("pay_channel"), channel);
    const qint64 fen = query::readOrder(order).moneyFen;
    if (channel == QLatin1String("ALIPAY"))
        content.insert(QStringLiteral("money"), double(fen));
    else
        content.insert(QStringLiteral("money"), QString::number(fen));
    return content;
}

QString question(const QJsonObject& object)
{
    const query::Order order = query::readOrder(object);
    return QStringLiteral("上一次收款没有收到网关的结果，但网关上有一笔相同金额的收款：\n\n"
                          "时间：%1\n金额：￥%2\n订单号：%3\n\n"
                          "这是本次收款吗？（同一门店的其他收银台也可能收了相同的金额，请与顾客核对）")
        .arg(order.payDate, money::formatYuan(order.moneyFen), order.outTradeNo);
}

} // namespace paymentcheck
