#pragma once

#include <QString>
#include <QStringList>

// What the refund dialog does when the cashier confirms: refuse with a reason, ask about a refund that
// hands back no item, or send. Amounts are exact fen; the amount typed is refused here, before
// anything is sent, when it is not a positive amount or more than the order still holds.
namespace refund {

struct Request
{
    QString password;             // the refund password as typed
    QString amountText;           // the refund amount as typed, in yuan
    qint64 orderFen = 0;          // the order's amount
    qint64 refundedFen = 0;       // refunded from it before
    QStringList tickedItems;      // the ticked item boxes' numbers, in their order
    bool askWithoutItems = false; // refunds and items both switched on
    QString itemName;             // "房间号", "手牌"... as the settings name the item
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

// The checks in the dialog's order: the password, then the amount, then the items.
Decision checkRefund(const Request& request);

} // namespace refund
