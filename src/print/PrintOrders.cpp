#include "print/PrintOrders.h"

#include "net/GatewayReply.h"

#include <QJsonArray>

namespace printorders {

QList<QJsonObject> ordersInReply(const QByteArray& reply)
{
    const QJsonObject content = gateway::replyContent(reply);
    const QString num = content.value(QLatin1String("num")).toString();
    if (num.isEmpty() || num.toInt() <= 0)
        return {};

    QList<QJsonObject> orders;
    for (const QJsonValue& element : content.value(QLatin1String("list")).toArray()) {
        if (element.isObject())
            orders.append(element.toObject());
    }
    return orders;
}

} // namespace printorders
