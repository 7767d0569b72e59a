#include "print/PrintOrders.h"

#include "net/GatewayReply.h"
#include "print/PrintLog.h"

#include <QJsonArray>

namespace printorders {

QList<QJsonObject> ordersInReply(const QByteArray& reply)
{
    const QJsonObject content = gateway::replyContent(reply);
    const QString num = content.value(QLatin1String("num")).toString();
    if (num.isEmpty() || num.toInt() <= 0)
        return {};

    const QJsonArray list = content.value(QLatin1String("list")).toArray();
    // A back office queues a few receipts at a time; hundreds in one reply is no queue to put on
    // paper (each a print job), so none of it is printed.
    if (list.size() > kMaxOrdersPerPoll) {
        qCInfo(lcPrint) << "print orders reply of" << list.size() << "orders refused";
        return {};
    }
    QList<QJsonObject> orders;
    for (const QJsonValue& element : list) {
        if (element.isObject())
            orders.append(element.toObject());
    }
    return orders;
}

} // namespace printorders
