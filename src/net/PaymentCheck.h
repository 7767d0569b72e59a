#pragma once

#include "net/GatewayRequests.h"
#include "net/MoneyJournal.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QVector>

// A scan-pay whose reply never came (timeout, lost connection) may still have been charged: the
// customer was confirming on the phone, or the answer was lost on the way back. Before the shop
// charges again, its payments around that charge are looked through, every page, for one that may
// be it, and the cashier decides.
namespace paymentcheck {

// The till's clock and the gateway's may differ by minutes or hours (a PC whose time was never
// set): the search looks this far around the lost charge, both ways.
constexpr int kClockSlackSeconds = 24 * 3600;
// A shop with more payments than this in two days is not looked through to the end: the search
// counts as unanswered and the cashier is told to check the list.
constexpr int kMaxPages = 50;

// The transaction-list query for one page of the period that covers `charge`, newest first.
gateway::ListPayQuery searchQuery(const MoneyJournal::Entry& charge, const QDateTime& now, int page);

// What one page of the search found.
struct Search
{
    bool answered = false;           // the gateway answered with a transaction list
    int totalPages = 0;              // as the gateway counts them
    QVector<QJsonObject> candidates; // payments that may be the charge, newest first
};
// The orders of a listPay reply that may be `charge`: exactly its amount, paid and not refunded,
// paid inside the search period (when the time can be read), and not among `excluded` — the payments
// this client already saw complete, and those the cashier said were not it.
Search search(const QByteArray& listPayReply, const MoneyJournal::Entry& charge, const QDateTime& now,
              const QSet<QString>& excluded);

// A listPay order as the trade result reads a scan-pay reply: the channel as the gateway names it
// ("ALIPAY", "WEIXIN"...), the amount typed as that channel's reply types it, the way of payment
// as the list shows it ("京东支付", "刷卡"...) and the operator who collected it.
QJsonObject tradeResultContent(const QJsonObject& order, const QString& operatorName);

// The question put to the cashier about one candidate: whether it is the sale being collected
// (`sameSale`, the lost charge was of this amount) or the payment of that earlier charge.
QString question(const QJsonObject& order, const MoneyJournal::Entry& charge, bool sameSale);

} // namespace paymentcheck
