#pragma once

#include <QJsonObject>
#include <QString>
#include <QtGlobal>

// The order states after a refund; any other state means nothing was refunded.
bool isRefundedState(const QString& finalInfo);

// One paid order as the transaction list sends it, read once (query::readOrder) and handed on to
// the table, the refund check, the refund and item dialogs and the receipts.
struct Order
{
    QString tradeNo;    // "trade_no": the table's "系统单号", the receipts' trade order number
    QString outTradeNo; // "out_trade_no": what refunds and item registrations name
    QString payChannel; // display name: "微信支付", "支付宝", "刷卡"...
    QString finalInfo;  // display state: "支付成功", "退款成功", "已退款,交易关闭"
    QString payDate;    // as received
    QString shopName;
    QString cardNo; // the room or hand-card numbers registered on it
    qint64 moneyFen = 0;
    qint64 refundFen = 0; // refunded so far

    bool refunded() const { return isRefundedState(finalInfo); }
    // What may still be refunded; never below 0.
    qint64 leftFen() const { return qMax<qint64>(moneyFen - refundFen, 0); }
};
