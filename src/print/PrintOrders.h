#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>

// The print orders the gateway queues for the merchant, fetched by the floating widget's poll.
namespace printorders {

// The orders of an "Account.Print.orders" reply to print, in reply order. "num" must be decimal
// text above 0 (a JSON number does not count); it only gates the list, which is printed whole.
// Elements that are not objects carry nothing to print and are left out.
QList<QJsonObject> ordersInReply(const QByteArray& reply);

// The order numbers printed in this run, so that a gateway sending an order again (after a reply
// that got lost on the way, say) does not get it printed twice.
class PrintedOrders
{
public:
    // True the first time an order number is seen, false for a repeat. Orders without a number
    // cannot be told apart and always count as new.
    bool markPrinted(const QJsonObject& order);

private:
    QSet<QString> m_orderNums;
};

} // namespace printorders
