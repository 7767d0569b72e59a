#pragma once

#include "core/Order.h"

#include <QString>
#include <QStringList>

// What the refund dialog does when the cashier confirms: refuse with a reason, ask about a refund that
// hands back no item, or send. Amounts are exact fen; the amount typed is refused here, before
// anything is sent, when it is not a positive amount or more than the order still holds.
namespace refund {

struct Request
{
    QString password;                  // the refund password as typed
    QString amountText;                // the refund amount as typed, in yuan
    Order order;                       // what it was paid, and what was refunded of it before
    QStringList tickedItems;           // the ticked item boxes' numbers, in their order
    bool askWithoutItems = false;      // refunds and items both switched on
    QString itemName;                  // "房间号", "手牌"... as the settings name the item
    bool earlierRefundUnknown = false; // a refund of this order got no answer, and the list has not shown it yet
};

struct Decision
{
    enum Kind {
        Refuse,          // show `text` in a critical box titled `title`; nothing is sent
        AskWithoutItems, // ask `text` (title `title`, Yes and No, Yes the default); send only on Yes
        Send,
    };
    Kind kind = Refuse;
    QString title;
    QString text;
    qint64 refundFen = 0; // the amount to send, to the nearest fen
    QString cardNo;       // the ticked items, each followed by "," ("A1,A2,"); empty when none
};

// The checks in the dialog's order: an earlier refund still unknown, the password, then the amount,
// then the items.
Decision checkRefund(const Request& request);

// Said when a refund got no answer that can be read: the gateway may well have refunded.
QString unknownRefundText();

} // namespace refund
