#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// The print orders the gateway queues for the merchant, fetched by the floating widget's poll.
namespace printorders {

// The orders of an "Account.Print.orders" reply to print, in reply order. "num" must be decimal
// text above 0 (a JSON number does not count); it only gates the list, which is printed whole.
// Elements that are not objects carry nothing to print and are left out. A list longer than
// kMaxOrdersPerPoll gives none.
constexpr int kMaxOrdersPerPoll = 50;
QList<QJsonObject> ordersInReply(const QByteArray& reply);

} // namespace printorders
