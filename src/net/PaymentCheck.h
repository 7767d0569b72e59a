#pragma once

#include "net/GatewayRequests.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QVector>

// A scan-pay whose reply never came (timeout, lost connection) may still have been charged: the
// customer was confirming on the phone, or the answer was lost on the way back. Before the same sale
// is charged again, the shop's latest payments are looked through for one that may be it, and the
// cashier decides.
namespace paymentcheck {

// Till and gateway clocks may differ by this much; the search period is widened by it both ways.
constexpr int kClockSlackSeconds = 120;

// A charge whose outcome is unknown: what was asked, where and when.
struct UnknownCharge
{
    QString shopId;
    qint64 fen = 0;
    QDateTime sentAt;

    bool isValid() const { return sentAt.isValid(); }
};

// The run's one unresolved charge, kept outside the scan-pay window: closing that window and
// opening a new one for the same amount must not skip the check. Empty when there is none.
UnknownCharge pendingCharge();
void setPendingCharge(const UnknownCharge& charge);
void clearPendingCharge();

// The transaction-list query that covers `charge`: its shop, newest first, from a little before it
// was sent until a little after `now`.
gateway::ListPayQuery searchQuery(const UnknownCharge& charge, const QDateTime& now);

// What the search found.
struct Search
{
    bool answered = false;           // the gateway answered with a transaction list
    QVector<QJsonObject> candidates; // payments that may be the charge, newest first
};
// The orders of a listPay reply that may be `charge`: exactly its amount, paid and not refunded,
// paid inside the search period (when the time can be read), and not among `excluded` — the payments
// this client already saw complete, and those the cashier said were not this sale.
Search search(const QByteArray& listPayReply, const UnknownCharge& charge, const QDateTime& now,
              const QSet<QString>& excluded);

// A listPay order as the trade result reads a scan-pay reply: the channel as the gateway names it
// ("ALIPAY", "WEIXIN"...) and the amount typed as that channel's reply types it.
QJsonObject tradeResultContent(const QJsonObject& order);

// The question put to the cashier about one candidate.
QString question(const QJsonObject& order);

} // namespace paymentcheck
