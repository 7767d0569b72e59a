#pragma once

#include "core/Order.h"
#include "net/MoneyJournal.h"
#include "net/MoneyOutcome.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QVector>

// One refund, from the cashier's confirmation to its one outcome. It is written to the journal
// before it is sent and stays there while its outcome is unknown, so the order cannot be refunded a
// second time before the transaction list shows what became of the first. It reports once:
// - Done: refunded ("退款成功");
// - Refused: the gateway said no (`text` as it said it; `code` 5: the refund password was wrong);
// - Unknown: no answer that can be read; the gateway may have refunded;
// - NotSent: the journal could not be written; nothing left.
class RefundOperation : public QObject
{
    Q_OBJECT

public:
    using Outcome = MoneyOutcome;
    struct Refund
    {
        Order order;
        QString shopId;
        qint64 fen = 0;
        QString cardNo;
        QString password;
    };

    explicit RefundOperation(QObject* parent = nullptr);
    void start(const Refund& refund);

    // How long after it was sent an unknown refund may still be made by the gateway (a reply held
    // up for longer than the cashier waits): a list older than that proves nothing.
    static constexpr int kSettleSeconds = 120;

    // Compares the unknown refunds with the orders of a transaction list fetched at `listedAt`:
    // an order whose refunded amount grew was refunded; one that shows no change after the gateway
    // answered (unreadably), or long enough after the refund was sent, was not. Both are resolved. Returns the orders
    // whose refund is still unknown: they are not offered for refunding.
    static QSet<QString> reconcile(const QVector<Order>& orders, const QDateTime& listedAt);

signals:
    void finished(RefundOperation::Outcome outcome, const QString& text, int code);

private:
    void onReply(bool success, const QByteArray& body);

    MoneyJournal::Entry m_entry;
};
